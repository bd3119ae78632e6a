// A program that does nothing, linked with the libraries korvane loads: what
// starting any process of korvane's costs before its own code runs.
int main()
{
	return 0;
}
