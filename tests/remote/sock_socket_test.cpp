// The remote-control socket in-process: the listening socket is its owner's
// alone, sends go only to a socket of ours, another user's file at the path
// is never touched, a send gives up on a queue that stays full, and the
// receiver cuts texts and drops other users' datagrams.
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "remote/remote_fixture.h"
#include "remote/sock.h"

namespace
{

using namespace remote_tests;

class Sock : public testing::Test
{
protected:
	void SetUp() override { unlink(SOCK_PATH); }
	void TearDown() override { unlink(SOCK_PATH); }
};

TEST_F(Sock, ListeningSocketIsItsOwnersAloneWhateverTheMask)
{
	for (mode_t mask : { 0000, 0022, 0077 }) {
		SCOPED_TRACE("umask " + std::to_string(mask));
		mode_t outer = umask(mask);
		unique_fd fd;
		EXPECT_EQ(sock_listen(fd), SOCK_LISTENING);
		EXPECT_EQ(umask(outer), mask) << "the mask is given back";
		EXPECT_TRUE(fd);
		struct stat st;
		ASSERT_EQ(lstat(SOCK_PATH, &st), 0);
		EXPECT_TRUE(S_ISSOCK(st.st_mode));
		EXPECT_EQ(st.st_mode & 07777, 0600u);
		EXPECT_EQ(st.st_uid, geteuid());
		EXPECT_EQ(fcntl(fd.get(), F_GETFD) & FD_CLOEXEC, FD_CLOEXEC);
	}
}

TEST_F(Sock, ListeningReplacesAFileOfOurs)
{
	for (const char *kind : { "regular file", "symbolic link", "stale socket" }) {
		SCOPED_TRACE(kind);
		make_file(kind, geteuid());
		unique_fd fd;
		EXPECT_EQ(sock_listen(fd), SOCK_LISTENING);
		std::optional<file_id> f = file_at(SOCK_PATH);
		ASSERT_TRUE(f);
		EXPECT_TRUE(S_ISSOCK(f->mode));
		EXPECT_EQ(sock_send("hello"), 0);
		EXPECT_EQ(sock_recv(fd.get()), "hello");
		unlink(SOCK_PATH);
	}
	// A directory of ours cannot be replaced.
	make_file("directory", geteuid());
	unique_fd fd;
	EXPECT_EQ(sock_listen(fd), SOCK_FAILED);
	EXPECT_FALSE(fd);
	rmdir(SOCK_PATH);
}

TEST_F(Sock, AnotherUsersFileAtThePathIsLeftAlone)
{
	SKIP_UNLESS_ROOT();
	for (const char *kind : { "regular file", "symbolic link", "directory", "stale socket" }) {
		SCOPED_TRACE(kind);
		make_file(kind, NOBODY);
		std::optional<file_id> before = file_at(SOCK_PATH);
		ASSERT_TRUE(before);
		unique_fd fd;
		EXPECT_EQ(sock_listen(fd), SOCK_FOREIGN);
		EXPECT_FALSE(fd);
		EXPECT_EQ(file_at(SOCK_PATH), before);
		EXPECT_EQ(sock_send("w"), -1);
		if (kind == std::string("directory"))
			rmdir(SOCK_PATH);
		else
			unlink(SOCK_PATH);
	}
}

TEST_F(Sock, SendSpeaksOnlyToASocketOfOurs)
{
	EXPECT_EQ(sock_send("w"), -1) << "nothing at the path";
	{
		raw_listener ours;
		EXPECT_EQ(sock_send("w"), 0);
		EXPECT_EQ(ours.queued(), "w");
	}
	{
		// Our socket, reached through a link of ours, is not spoken to.
		raw_listener ours;
		ASSERT_EQ(rename(SOCK_PATH, "/tmp/.korvane-elsewhere"), 0);
		ASSERT_EQ(symlink("/tmp/.korvane-elsewhere", SOCK_PATH), 0);
		EXPECT_EQ(sock_send("w"), -1);
		EXPECT_EQ(ours.queued(), std::nullopt);
		unlink("/tmp/.korvane-elsewhere");
	}
	if (geteuid() == 0) {
		// Another user's socket would read what we send: nothing goes
		// there, though the kernel would let it.
		raw_listener theirs(NOBODY, 0666);
		EXPECT_EQ(sock_send("w"), -1);
		EXPECT_EQ(theirs.queued(), std::nullopt);
	}
}

// A listener that does not read: the sends fill its queue, then one gives
// up, none of the queued being lost; one that finds room during its wait
// goes through.
TEST_F(Sock, SendGivesUpOnAQueueThatStaysFull)
{
	raw_listener stalled;
	int queued = 0;
	sock_send_result r;
	while ((r = sock_send("w")) == SOCK_SENT && queued < 1000)
		queued++;
	EXPECT_EQ(r, SOCK_QUEUE_FULL);
	EXPECT_GT(queued, 0);

	std::thread reader([&] {
		std::this_thread::sleep_for(std::chrono::milliseconds(300));
		EXPECT_EQ(stalled.queued(), "w");
	});
	EXPECT_EQ(sock_send("late"), SOCK_SENT);
	reader.join();
	for (int i = 1; i < queued; i++)
		EXPECT_EQ(stalled.queued(), "w");
	EXPECT_EQ(stalled.queued(), "late");
	EXPECT_EQ(stalled.queued(), std::nullopt);
}

TEST_F(Sock, ReceivedTextIsCutAtTheLimitAndAtANul)
{
	struct cut_case {
		std::string sent, received;
	};
	const std::string x999(999, 'x');
	const std::vector<cut_case> cases = {
		{ "", "" },
		{ "media_next", "media_next" },
		{ x999.substr(1), x999.substr(1) },
		{ x999, x999 },
		{ x999 + "y", x999 },
		{ x999 + "abcdef", x999 },
		{ std::string("mode\0random", 11), "mode" },
		{ "WHOWASPHONE?", "WHOWASPHONE?" },
	};
	unique_fd fd;
	ASSERT_EQ(sock_listen(fd), SOCK_LISTENING);
	for (const cut_case &c : cases) {
		SCOPED_TRACE("sent " + std::to_string(c.sent.size()) + " bytes");
		ASSERT_EQ(send_as(geteuid(), c.sent), 0);
		EXPECT_EQ(sock_recv(fd.get()), c.received);
	}
}

// Our socket, its mode opened up so that the kernel lets nobody in: the
// credentials alone keep nobody's datagrams out.
TEST_F(Sock, ReceiverDropsDatagramsOfAnotherUser)
{
	SKIP_UNLESS_ROOT();
	unique_fd fd;
	ASSERT_EQ(sock_listen(fd), SOCK_LISTENING);
	EXPECT_EQ(send_as(NOBODY, "q"), EACCES) << "the mode keeps others out";

	ASSERT_EQ(chmod(SOCK_PATH, 0666), 0);
	ASSERT_EQ(send_as(NOBODY, "q"), 0);
	ASSERT_EQ(send_as(geteuid(), "mine"), 0);
	EXPECT_EQ(sock_recv(fd.get()), std::nullopt);
	EXPECT_EQ(sock_recv(fd.get()), "mine");
}

// The other way round: nobody listens, and what we send is dropped by
// nobody's receiver, while nobody's own datagrams arrive.
TEST_F(Sock, ReceiverOfAnotherUserDropsOurDatagrams)
{
	SKIP_UNLESS_ROOT();
	struct channel {
		unique_fd in, out;
		channel()
		{
			int fds[2];
			EXPECT_EQ(pipe(fds), 0);
			in.reset(fds[0]);
			out.reset(fds[1]);
		}
	} ready, go;
	enum { OK, NOT_LISTENING = 10, NOT_ITS_OWNERS, OURS_ARRIVED, ITS_OWN_LOST };

	const uid_t our_uid = geteuid();
	child_as listener(NOBODY, [&]() -> int {
		ready.in.reset();
		go.out.reset();
		unique_fd fd;
		if (sock_listen(fd) != SOCK_LISTENING)
			return NOT_LISTENING;
		std::optional<file_id> f = file_at(SOCK_PATH);
		if (!f || f->uid != NOBODY || (f->mode & 07777) != 0600)
			return NOT_ITS_OWNERS;
		char c = 0;
		if (write(ready.out.get(), "r", 1) != 1 || read(go.in.get(), &c, 1) != 1)
			return NOT_LISTENING;
		// The datagram of the tests' user was queued before the go.
		if (sock_recv(fd.get()) != std::nullopt)
			return OURS_ARRIVED;
		if (sock_send("its own") != 0 || sock_recv(fd.get()) != "its own")
			return ITS_OWN_LOST;
		return OK;
	});
	ready.out.reset();
	go.in.reset();
	char c = 0;
	ASSERT_EQ(read(ready.in.get(), &c, 1), 1) << "nobody listens";

	EXPECT_EQ(sock_send("w"), -1) << "not a socket of ours";
	EXPECT_EQ(send_as(our_uid, "q"), 0) << "the kernel lets the tests' user in";
	EXPECT_EQ(write(go.out.get(), "g", 1), 1);
	go.out.reset();
	EXPECT_EQ(listener.wait(), OK);
}

} // namespace
