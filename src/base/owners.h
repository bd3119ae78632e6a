// Owners of the system's resources: a file descriptor, a stdio stream and a
// directory walk, each given back when its owner dies, whatever the way out.
#pragma once

#include <fts.h>
#include <unistd.h>

#include <cstdio>
#include <utility>

// One file descriptor; -1 holds nothing.
class unique_fd
{
public:
	unique_fd() = default;
	explicit unique_fd(int fd) : fd(fd) {}
	unique_fd(unique_fd &&o) noexcept : fd(o.release()) {}
	unique_fd &operator=(unique_fd &&o) noexcept
	{
		if (this != &o)
			reset(o.release());
		return *this;
	}
	unique_fd(const unique_fd &) = delete;
	unique_fd &operator=(const unique_fd &) = delete;
	~unique_fd() { reset(); }

	int get() const { return fd; }
	explicit operator bool() const { return fd != -1; }
	// Hands the descriptor to the caller, who closes it.
	int release() { return std::exchange(fd, -1); }
	// Closes what is held and takes fd.
	void reset(int newfd = -1)
	{
		if (fd != -1)
			::close(fd);
		fd = newfd;
	}

private:
	int fd = -1;
};

// One stdio stream; null holds nothing.
class unique_file
{
public:
	unique_file() = default;
	explicit unique_file(FILE *f) : f(f) {}
	unique_file(unique_file &&o) noexcept : f(std::exchange(o.f, nullptr)) {}
	unique_file &operator=(unique_file &&o) noexcept
	{
		if (this != &o) {
			reset();
			f = std::exchange(o.f, nullptr);
		}
		return *this;
	}
	unique_file(const unique_file &) = delete;
	unique_file &operator=(const unique_file &) = delete;
	~unique_file() { reset(); }

	FILE *get() const { return f; }
	explicit operator bool() const { return f != nullptr; }
	// Closes the stream now; fclose's result, so a failed flush is seen.
	int close() { return f == nullptr ? 0 : fclose(std::exchange(f, nullptr)); }
	void reset() { close(); }

private:
	FILE *f = nullptr;
};

// One fts directory walk.
class fts_walk
{
public:
	fts_walk() = default;
	explicit fts_walk(FTS *fts) : fts(fts) {}
	fts_walk(const fts_walk &) = delete;
	fts_walk &operator=(const fts_walk &) = delete;
	~fts_walk() { close(); }

	FTS *get() const { return fts; }
	explicit operator bool() const { return fts != nullptr; }
	// Ends the walk now; fts_close's result.
	int close() { return fts == nullptr ? 0 : fts_close(std::exchange(fts, nullptr)); }

private:
	FTS *fts = nullptr;
};
