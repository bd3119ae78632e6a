// Start-up and "-c", which meet the one remote-control socket of the machine.
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstring>

#include <gtest/gtest.h>

#include "harness/harness.h"
#include "remote/sock.h"

namespace
{

// Stands in for a running instance: a datagram socket bound at the path.
class fake_instance
{
public:
	fake_instance()
	{
		unlink(SOCK_PATH);
		fd = socket(AF_UNIX, SOCK_DGRAM, 0);
		sockaddr_un addr = {};
		addr.sun_family = AF_UNIX;
		strcpy(addr.sun_path, SOCK_PATH);
		EXPECT_EQ(bind(fd, reinterpret_cast<sockaddr *>(&addr), sizeof addr), 0);
		timeval tv = { 2, 0 };
		setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &tv, sizeof tv);
	}
	~fake_instance()
	{
		close(fd);
		unlink(SOCK_PATH);
	}
	// The next datagram, or "<none>" after a time-out.
	std::string next()
	{
		char buf[256];
		ssize_t n = recv(fd, buf, sizeof buf, 0);
		return n < 0 ? "<none>" : std::string(buf, static_cast<size_t>(n));
	}

private:
	int fd = -1;
};

const char EMPTY_DB[] = "The korvane database is currently empty.\n"
                        "See 'korvane -e help add' for how to add files.\n";

TEST(Remote, SendWithoutAnInstanceFails)
{
	unlink(SOCK_PATH);
	korvane_home home;
	run_result r = home.run({ "-c", "w" });
	EXPECT_EQ(r.status, 1);
	EXPECT_EQ(r.err, "korvane: Failed to send message. Korvane not running?\n");

	// A socket file that nobody owns any more is refused the same way.
	{
		fake_instance gone;
	}
	{
		unique_fd fd;
		ASSERT_EQ(sock_listen(fd), SOCK_LISTENING);
	}
	EXPECT_EQ(home.run({ "-c", "w" }).status, 1);
	unlink(SOCK_PATH);
}

TEST(Remote, EachDashCSendsOneDatagramInOrder)
{
	korvane_home home;
	fake_instance inst;
	run_result r = home.run({ "-c", "mode random", "-c", "w" });
	EXPECT_EQ(r.status, 0) << r.err;
	EXPECT_EQ(r.out, "");
	EXPECT_EQ(inst.next(), "mode random");
	EXPECT_EQ(inst.next(), "w");

	r = home.run({ "-c", "foo", "-e", "help", "help" });
	EXPECT_EQ(r.status, 0);
	EXPECT_EQ(inst.next(), "foo");
	EXPECT_EQ(r.out, "You're a damn fool if you need help with help.\n");
}

TEST(Startup, EmptyDatabaseStopsBeforeTheScreen)
{
	unlink(SOCK_PATH);
	korvane_home home;
	run_result r = home.run({});
	EXPECT_EQ(r.status, 0) << r.err;
	EXPECT_EQ(r.out, EMPTY_DB);
	EXPECT_EQ(r.err, "");
	struct stat st;
	ASSERT_EQ(stat(SOCK_PATH, &st), 0) << "the instance listened";
	EXPECT_TRUE(S_ISSOCK(st.st_mode));

	// Words after the options are ignored.
	r = home.run({ "foo", "bar" });
	EXPECT_EQ(r.status, 0);
	EXPECT_EQ(r.out, EMPTY_DB);
	unlink(SOCK_PATH);
}

TEST(Startup, SecondInstanceDoesWithoutTheSocket)
{
	korvane_home home;
	fake_instance inst;
	run_result r = home.run({});
	EXPECT_EQ(r.status, 0) << r.err;
	EXPECT_EQ(r.out, std::string("Korvane appears to be running already. Won't open socket.") +
	                         EMPTY_DB);
	EXPECT_EQ(inst.next(), "WHOWASPHONE?");
}

} // namespace
