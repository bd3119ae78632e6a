// Taking turns on the database: a flock(2) on a lock file beside it (the
// database's name and ".lock"). The database itself cannot carry the lock,
// since every save puts a new file in its place.
#pragma once

#include <string>

// The lock file of the database db_file.
std::string medialib_lock_file(const std::string &db_file);
// Takes the exclusive lock for the rest of the program: an e-command that
// changes the database holds it from before its load until after its save.
// Waits while another program holds the lock, saying so once on standard
// error. Where no lock file can be made or opened (a directory that may not
// be written) the program goes on without it; its save is refused there
// anyway.
void medialib_lock_exclusive(const std::string &db_file);

// A shared lock on the database while it is read, so that no reader sees a
// half-changed library; nothing when this program holds the exclusive lock.
// Unless told to wait, a reader that finds a writer at work does not wait
// (the screen must stay live): it is then busy and reads nothing.
class medialib_read_lock
{
public:
	explicit medialib_read_lock(const std::string &db_file, bool wait = true);
	bool busy() const { return found_busy; }
	~medialib_read_lock();
	medialib_read_lock(const medialib_read_lock &) = delete;
	medialib_read_lock &operator=(const medialib_read_lock &) = delete;

private:
	int fd = -1;
	bool found_busy = false;
};
