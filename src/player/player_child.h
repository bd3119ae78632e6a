// The player program as a child process with the two pipes to it: started,
// fed, read without blocking, reaped. One owner for all three, so the child
// is ended and its descriptors closed whatever the way out.
#pragma once

#include <sys/types.h>

#include <optional>
#include <string>
#include <string_view>

#include "base/owners.h"

class player_child
{
public:
	player_child() = default;
	player_child(const player_child &) = delete;
	player_child &operator=(const player_child &) = delete;
	// Kills a child that is still there and reaps it.
	~player_child();

	// Runs file (searched on $PATH) with argv (null-terminated) with its
	// standard input and output on two pipes and its standard error on
	// /dev/null, every signal at its default action and none blocked; the
	// kernel kills it should this process die first. A failure ends the
	// program with a message naming who.
	void start(const char *who, const char *file, char *const argv[]);

	// Writes text to the child's standard input without waiting for a
	// child that does not read; a child that has gone is not an error.
	void send(std::string_view text);
	// Reads at most max bytes of what the child wrote: none when nothing is
	// waiting; else the bytes, empty at the end of its output or on an
	// error.
	std::optional<std::string> receive(size_t max);

	// Whether the child has ended; reaps it when it has, without waiting.
	bool has_exited();
	// Closes both pipes.
	void close_pipes();
	// Sends last_words, closes the pipes and reaps the child, killing it if
	// it has not ended within a second. Does nothing once done.
	void finish(std::string_view last_words);

	pid_t pid() const { return child; }
	bool running() const { return child > 0; }

private:
	pid_t child = -1;     // -1 once reaped
	unique_fd to_child;   // the child's standard input
	unique_fd from_child; // the child's standard output, non-blocking
};
