// The playlist writers of the command line killed at random moments: the
// playlist's file is always the old version or the new one, never torn and
// never gone.
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <random>
#include <thread>

#include "commands/cmd_fixture.h"

namespace
{

class WriteKill : public CmdTest
{
};

TEST_F(WriteKill, AKilledWriteLeavesTheOldFileOrTheNew)
{
	struct write_case {
		const char *line;
		const char *file;
		bool view_other; // edit and write the file's own playlist
	};
	const write_case cases[] = {
		{ "w! other", "other", false },
		{ "w", "other", true },
		{ "new fresh", "fresh", false },
	};
	std::mt19937 random(20261211);
	for (const write_case &c : cases) {
		SCOPED_TRACE(c.line);
		library_of(6);
		medialib.playlist_dir = dir.path();
		playlist *other = add_playlist("other", 2);
		playlist *mine = add_playlist("mine", 5, false);
		const std::string path = dir / (std::string(c.file) + ".playlist");
		const bool existed = file_exists(path);
		const std::string old_text = existed ? read_file(path) : "";
		std::string new_text;
		for (int i = 0; i < (c.view_other ? 6 : c.file == std::string("fresh") ? 0 : 5); i++)
			new_text += "/m/track00" + std::to_string(i) + ".mp3\n";
		if (c.view_other)
			other->files = medialib.library->files;
		viewing_playlist = c.view_other ? other : mine;

		int olds = 0, news = 0;
		for (int attempt = 0; attempt < 50; attempt++) {
			const pid_t pid = fork();
			ASSERT_NE(pid, -1);
			if (pid == 0) {
				// Each sync waits, so that the kill lands inside the write.
				setenv("KORVANE_TEST_FSYNC_DELAY_MS", "5", 1);
				_exit(run(c.line));
			}
			std::this_thread::sleep_for(std::chrono::microseconds(random() % 30000));
			kill(pid, SIGKILL);
			int status;
			waitpid(pid, &status, 0);
			const bool present = file_exists(path);
			const std::string text = present ? read_file(path) : "";
			if (existed) {
				ASSERT_TRUE(present) << "attempt " << attempt;
			}
			if (present && text == new_text) {
				news++;
			} else {
				ASSERT_EQ(text, old_text) << "attempt " << attempt;
				olds++;
			}
			// Back to the old version for the next attempt.
			if (existed)
				write_file(path, old_text);
			else
				unlink(path.c_str());
		}
		EXPECT_GT(olds, 0);
		EXPECT_GT(news, 0);
		medialib_new_state();
	}
}

// A full disk (the file size limit) makes each writer fail with its error:
// the program goes on and the old file stays.
TEST_F(WriteKill, AFullDiskLeavesTheOldFileAndTheProgramGoesOn)
{
	for (const char *line : { "w! other", "w", "new fresh" }) {
		SCOPED_TRACE(line);
		library_of(6);
		medialib.playlist_dir = dir.path();
		playlist *other = add_playlist("other", 2);
		const std::string old_text = read_file(dir / "other.playlist");
		other->files = medialib.library->files;
		other->needs_saving = true;
		viewing_playlist = other;
		const pid_t pid = fork();
		ASSERT_NE(pid, -1);
		if (pid == 0) {
			signal(SIGXFSZ, SIG_IGN);
			const rlimit small = { 10, 10 };
			setrlimit(RLIMIT_FSIZE, &small);
			const int rc = run(line);
			// Still unsaved, to be written elsewhere.
			_exit(rc == 0 ? 100 : rc + (other->needs_saving ? 0 : 50));
		}
		int status;
		waitpid(pid, &status, 0);
		ASSERT_TRUE(WIFEXITED(status));
		// "new" writes an empty file, which fits; the others fail with
		// their code.
		EXPECT_EQ(WEXITSTATUS(status), std::string(line) == "new fresh" ? 100 : 6);
		EXPECT_EQ(read_file(dir / "other.playlist"), old_text);
		unlink((dir / "fresh.playlist").c_str());
		medialib_new_state();
	}
}

} // namespace
