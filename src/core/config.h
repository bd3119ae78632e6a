// The configuration file: ':' commands, one a logical line, run in order.
#pragma once

// What becomes of a line that fails.
enum class config_errors {
	fatal,  // at start-up: the screen is ended and the program ends
	report, // while the program runs: shown as an error, reading stops
};

// Runs the commands of conf_file; a file that cannot be opened is no
// configuration. 0, or 1 when a line failed and was reported.
int load_config(config_errors on_error = config_errors::fatal);
// Whether load_config is running, so a command it runs cannot start it again.
bool config_is_loading();
