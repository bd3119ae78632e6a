// The install step: "cmake --install" of this build tree puts the program,
// its manual page, the example configuration and the README in their
// places below the prefix (and below DESTDIR when one is given), and the
// installed program works from there.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <string>

#include "harness/harness.h"

namespace
{

const std::string SOURCE = KORVANE_SOURCE_DIR;

// Installs the build tree with the given prefix and extra environment.
void install(const std::string &prefix, const run_options &opts = {})
{
	run_result r = run_program(KORVANE_CMAKE,
	                           { "--install", KORVANE_BUILD_DIR, "--prefix", prefix }, opts);
	ASSERT_EQ(r.status, 0) << r.out << r.err;
}

bool is_executable(const std::string &path)
{
	struct stat st;
	return stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode) && (st.st_mode & S_IXUSR);
}

// The files below root are those of the source tree.
void expect_installed(const std::string &root)
{
	EXPECT_TRUE(is_executable(root + "/bin/korvane"));
	run_result page = run_program("gzip", { "-d", "-c", root + "/share/man/man1/korvane.1.gz" });
	EXPECT_EQ(page.status, 0) << page.err;
	EXPECT_EQ(page.out, read_file(SOURCE + "/doc/korvane.1"));
	EXPECT_EQ(read_file(root + "/share/doc/korvane/korvane.conf.example"),
	          read_file(SOURCE + "/korvane.conf.example"));
	EXPECT_EQ(read_file(root + "/share/doc/korvane/README.md"),
	          read_file(SOURCE + "/README.md"));
}

TEST(Install, IntoAPrefixAndUnderDestdir)
{
	// Both installs in one test: each rewrites the build tree's record of
	// what it installed.
	temp_dir prefix;
	ASSERT_NO_FATAL_FAILURE(install(prefix.path()));
	expect_installed(prefix.path());

	const std::string korvane = prefix / "bin/korvane";
	korvane_home home(false);
	run_options in_home;
	in_home.home = home.path();
	run_result help = run_program(korvane, { "-e", "help" }, in_home);
	EXPECT_EQ(help.status, 0) << help.err;
	EXPECT_EQ(
	        help.out.rfind("The following is a list of e-commands supported by korvane.\n", 0),
	        0u);
	EXPECT_EQ(help.out, run_korvane({ "-e", "help" }, in_home).out);

	run_result init = run_program(korvane, { "-e", "init" }, in_home);
	EXPECT_EQ(init.status, 0) << init.err;
	EXPECT_TRUE(file_exists(home.db()));
	EXPECT_TRUE(file_exists(home.playlists()));

	temp_dir destdir;
	run_options staged;
	staged.env = { { "DESTDIR", destdir.path() } };
	ASSERT_NO_FATAL_FAILURE(install("/usr", staged));
	expect_installed(destdir / "usr");
}

} // namespace
