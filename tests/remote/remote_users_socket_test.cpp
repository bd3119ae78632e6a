// Two users of one machine and its one socket path, each case both ways
// (the tests' user, root, and nobody): an instance's socket is its owner's
// alone; datagrams of another user are dropped; "-c" speaks only to a
// socket of the sender's own; another user's file at the path neither hears
// an instance nor keeps it from starting.
#include <sys/stat.h>

#include <csignal>
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "harness/tmux_screen.h"
#include "remote/remote_fixture.h"
#include "screen/screen_libraries.h"

namespace
{

using namespace remote_tests;

struct two_users {
	const char *name;
	uid_t self, other; // the instance's user, and the other one
};

class Users : public testing::TestWithParam<two_users>
{
protected:
	void SetUp() override
	{
		SKIP_UNLESS_ROOT();
		unlink(SOCK_PATH);
	}
	uid_t self() const { return GetParam().self; }
	uid_t other() const { return GetParam().other; }

	// The interactive program on the long library, run by self.
	std::unique_ptr<tmux_screen> start(const korvane_home &home) const
	{
		give_home(home, self());
		if (self() == NOBODY)
			return std::make_unique<tmux_screen>(home, std::vector<std::string>{}, 80,
			                                     24, tmux_screen::as_nobody{});
		return std::make_unique<tmux_screen>(home);
	}
};

// With an empty database start-up ends after it has opened the socket.
TEST_P(Users, SocketIsTheOwnersAloneWhateverTheMask)
{
	korvane_home home;
	give_home(home, self());
	run_result r = run_as_user(self(), home, {}, [] { umask(0); });
	EXPECT_EQ(r.status, 0) << r.err;
	EXPECT_EQ(r.out, EMPTY_DB_LINES);
	EXPECT_EQ(r.err, "");
	std::optional<file_id> f = file_at(SOCK_PATH);
	ASSERT_TRUE(f);
	EXPECT_TRUE(S_ISSOCK(f->mode));
	EXPECT_EQ(f->mode & 07777, 0600u);
	EXPECT_EQ(f->uid, self());
}

TEST_P(Users, AnotherUsersFileNeitherHearsNorStopsAStart)
{
	korvane_home home;
	give_home(home, self());
	for (const char *kind : { "listening socket", "stale socket", "regular file" }) {
		SCOPED_TRACE(kind);
		unlink(SOCK_PATH);
		// A listening socket open to everyone: only the owner check keeps
		// the probe from it.
		std::optional<raw_listener> theirs;
		if (kind == std::string("listening socket"))
			theirs.emplace(other(), 0666);
		else
			make_file(kind, other());
		std::optional<file_id> before = file_at(SOCK_PATH);

		run_result r = run_as_user(self(), home, {});
		EXPECT_EQ(r.status, 0);
		EXPECT_EQ(r.out, EMPTY_DB_LINES);
		EXPECT_EQ(r.err, FOREIGN_WARNING);
		EXPECT_EQ(file_at(SOCK_PATH), before);
		if (theirs) {
			EXPECT_EQ(theirs->queued(), std::nullopt) << "the probe went there";
		}
	}
}

TEST_P(Users, DashCSpeaksOnlyToASocketOfTheSendersOwn)
{
	korvane_home home;
	struct socket_case {
		uid_t owner;
		bool delivered;
	};
	for (const socket_case &c :
	     { socket_case{ self(), true }, socket_case{ other(), false } }) {
		SCOPED_TRACE("the socket of " + std::to_string(c.owner));
		raw_listener inst(c.owner, 0666);
		run_result r = run_as_user(self(), home, { "-c", "mode random" });
		if (c.delivered) {
			EXPECT_EQ(r.status, 0) << r.err;
			EXPECT_EQ(r.err, "");
			EXPECT_EQ(inst.queued(), "mode random");
		} else {
			EXPECT_EQ(r.status, 1);
			EXPECT_EQ(r.err, NOT_RUNNING);
			EXPECT_EQ(inst.queued(), std::nullopt);
		}
	}
}

TEST_P(Users, AnotherUsersDatagramsAreDropped)
{
	long_home home;
	std::unique_ptr<tmux_screen> s = start(home);
	s->keys({ "Tab" });
	s->wait_for_row(23, long_status(1));
	std::optional<file_id> f = file_at(SOCK_PATH);
	ASSERT_TRUE(f);
	EXPECT_EQ(f->uid, self());
	EXPECT_EQ(f->mode & 07777, 0600u);

	// Opened up, so that the kernel lets the other user in: the
	// credentials alone keep the other's datagrams out.
	ASSERT_EQ(chmod(SOCK_PATH, 0666), 0);
	EXPECT_EQ(send_as(other(), "scroll_down_page"), 0);
	EXPECT_EQ(send_as(other(), "q"), 0);
	// The other's korvane -c does not even send.
	run_result r = run_as_user(other(), home, { "-c", "scroll_down_page" });
	EXPECT_EQ(r.status, 1);
	EXPECT_EQ(r.err, NOT_RUNNING);

	// The owner's command comes after them, and is the only one that ran.
	r = run_as_user(self(), home, { "-c", "scroll_down" });
	EXPECT_EQ(r.status, 0) << r.err;
	s->wait_for_row(23, long_status(2));
}

TEST_P(Users, StartsWithoutASocketBesideAnotherUsersSocket)
{
	raw_listener theirs(other(), 0666);
	long_home home;
	std::unique_ptr<tmux_screen> s = start(home);
	s->wait_for_row(23, status_row("[library]      1,0    50%"));

	run_result r = run_as_user(self(), home, { "-c", "scroll_down" });
	EXPECT_EQ(r.status, 1);
	EXPECT_EQ(r.err, NOT_RUNNING);
	EXPECT_EQ(theirs.queued(), std::nullopt) << "neither the probe nor the command went there";

	s->signal(SIGTERM);
	EXPECT_EQ(s->wait_exit(), 0);
	EXPECT_EQ(s->err(), FOREIGN_WARNING);
}

INSTANTIATE_TEST_SUITE_P(RemoteControl, Users,
                         testing::Values(two_users{ "RootBesideNobody", 0, NOBODY },
                                         two_users{ "NobodyBesideRoot", NOBODY, 0 }),
                         [](const testing::TestParamInfo<two_users> &info) {
	                         return info.param.name;
                         });

} // namespace
