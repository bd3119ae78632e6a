// The addurl e-command, run as a user would, with its answers on a pipe.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "harness/harness.h"

namespace
{

const std::string PROMPTS = "    Artist:      Album:      Title:      Track: "
                            "      Year:      Genre:     Length:    Comment: ";
const std::string URL = "http://radio.example.com:8000/jazz.ogg";

const std::string REPLACE_QUESTION = "Warning: file/URL '" + URL +
                                     "' already in the database.\n"
                                     "Do you want to replace the existing record? [y/n] ";

// The flush line of the one record in the database, without its time column.
std::string only_record(const korvane_home &home)
{
	std::vector<std::string> lines = lines_of(home.run({ "-e", "flush" }).out);
	EXPECT_EQ(lines.size(), 2u);
	return lines.size() == 2 ? lines[1] : "";
}

std::string eight_lines(const std::string &artist)
{
	return artist + "\nLate Night Jazz\nTitle\n 1\n2009\nJazz\nINF\nall jazz\n";
}

TEST(AddurlCommand, EmptyAnswersStoreAUrlEntryWithoutTexts)
{
	korvane_home home;
	run_result r = home.run({ "-e", "addurl", URL }, std::string(8, '\n'));
	EXPECT_EQ(r.status, 0) << r.err;
	EXPECT_EQ(r.out, PROMPTS);
	EXPECT_EQ(r.err, "");

	// Empty texts are stored like absent ones: header, the length table, the
	// URL, length, time and the URL flag.
	EXPECT_EQ(read_file(home.db()).size(), 19 + 18 + URL.size() + 13);
	EXPECT_EQ(only_record(home),
	          URL + ", \"(null)\", \"(null)\", \"(null)\", \"(null)\", "
	                "\"(null)\", \"(null)\", \"(null)\", \"(null)\", 0, true, "
	                "\"1970 01 01 00:00:00\"");
}

TEST(AddurlCommand, PipedAnswersFillTheFieldsInOrder)
{
	korvane_home home;
	run_result r = home.run({ "-e", "addurl", URL }, eight_lines("Radio Korvane"));
	EXPECT_EQ(r.status, 0) << r.err;
	EXPECT_EQ(r.out, PROMPTS);
	EXPECT_EQ(only_record(home), URL + ", \"Radio Korvane\", \"Late Night Jazz\", \"Title\", "
	                                   "\" 1\", \"2009\", \"Jazz\", \"INF\", \"all jazz\", 0, "
	                                   "true, \"1970 01 01 00:00:00\"");

	// The last answer counts even without its line end.
	korvane_home other;
	std::string input = eight_lines("A");
	input.pop_back();
	EXPECT_EQ(other.run({ "-e", "addurl", URL }, input).status, 0);
	EXPECT_NE(only_record(other).find("\"all jazz\", 0, true"), std::string::npos);
}

TEST(AddurlCommand, ReplacingAnEntryNeedsAWholeYesLine)
{
	struct {
		std::string answer;
		bool replaced;
	} cases[] = {
		{ "Y\n", true },   { "y\n", true },     { "yes\n", true },   { "YeS\n", true },
		{ "yes", false },  { "Y", false },      { "", false },       { "n\n", false },
		{ " y\n", false }, { "yess\n", false }, { "yes \n", false }, { "no\n", false },
	};
	for (const auto &c : cases) {
		SCOPED_TRACE("answer '" + c.answer + "'");
		korvane_home home;
		ASSERT_EQ(home.run({ "-e", "addurl", URL }, eight_lines("Old")).status, 0);
		std::string before = read_file(home.db());

		run_result r = home.run({ "-e", "addurl", URL }, eight_lines("New") + c.answer);
		EXPECT_EQ(r.status, 0);
		EXPECT_EQ(r.out, PROMPTS + REPLACE_QUESTION);
		std::string record = only_record(home);
		if (c.replaced) {
			EXPECT_EQ(r.err, "");
			EXPECT_EQ(record.find(URL + ", \"New\", "), 0u) << record;
		} else {
			EXPECT_EQ(r.err, "korvane: Operation Canceled.  Database unchanged.\n");
			EXPECT_EQ(read_file(home.db()), before);
		}
	}
}

TEST(AddurlCommand, InputEndingDuringThePromptsChangesNothing)
{
	korvane_home home;
	// A database that cannot be read proves that nothing is loaded either.
	write_file(home.db(), "garbage");
	for (int answered = 0; answered < 8; answered++) {
		SCOPED_TRACE(answered);
		std::string input;
		for (int i = 0; i < answered; i++)
			input += "x\n";
		run_result r = home.run({ "-e", "addurl", URL }, input);
		EXPECT_EQ(r.status, 0);
		EXPECT_EQ(r.out, PROMPTS.substr(0, 12 * (answered + 1)));
		EXPECT_EQ(r.err, "korvane: Operation canceled. Database unchanged.\n");
		EXPECT_EQ(read_file(home.db()), "garbage");
	}
}

TEST(AddurlCommand, LongAnswersAreSplitAcrossPrompts)
{
	korvane_home home;
	std::string longline(300, 'a');
	std::string input = longline + "\n2\n3\n4\n5\n6\n7\nnever read\n";
	run_result r = home.run({ "-e", "addurl", URL }, input);
	EXPECT_EQ(r.status, 0) << r.err;
	EXPECT_EQ(only_record(home),
	          URL + ", \"" + std::string(254, 'a') + "\", \"" + std::string(46, 'a') +
	                  "\", \"2\", \"3\", \"4\", \"5\", \"6\", \"7\", 0, true, "
	                  "\"1970 01 01 00:00:00\"");
}

TEST(AddurlCommand, TypedTextsAreSanitisedButTheUrlIsKept)
{
	korvane_home home;
	std::string url = "http://x/\x01odd";
	std::string input = "tab\there\n\x1b[31mred\ndel\x7f\ncaf\xe9\n\n\n\n\n";
	run_result r = home.run({ "-e", "addurl", url }, input);
	EXPECT_EQ(r.status, 0) << r.err;
	std::string record = only_record(home);
	EXPECT_EQ(record.find(url + ", \"tab?here\", \"?[31mred\", \"del?\", \"caf?\", "), 0u)
	        << record;
}

TEST(AddurlCommand, WrongArgumentCountIsAUsageError)
{
	korvane_home home;
	for (const std::vector<std::string> &args :
	     { std::vector<std::string>{ "-e", "addurl" }, { "-e", "addurl", URL, "extra" } }) {
		run_result r = home.run(args, std::string(8, '\n'));
		EXPECT_EQ(r.status, 1);
		EXPECT_EQ(r.out, "");
		EXPECT_EQ(r.err, "korvane: usage: -e addurl filename|URL\n");
	}
}

// The example shows the prompts as the program prints them.
TEST(AddurlCommand, ManualPageShowsThePrompts)
{
	korvane_home home;
	run_result r = home.run({ "-e", "help", "addurl" });
	size_t example = r.out.find("\nEXAMPLE:\n");
	EXPECT_NE(r.out.find("\n\t    Artist: ", example), std::string::npos);
	EXPECT_NE(r.out.find("\n\t   Comment: ", example), std::string::npos);
}

} // namespace
