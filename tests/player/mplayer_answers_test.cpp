// The mplayer backend's reading of the player's answers, without a child:
// the lines of one read and the start of a line kept for the next, and the
// second a restarted player continues from.
#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <optional>
#include <string>

#include "player/mplayer.h"

namespace
{

struct answers_case {
	const char *name;
	std::string read;
	bool misbehaving, ended;
	std::optional<float> volume, position;
	std::string partial; // kept for the next read
};

class MplayerAnswers : public testing::TestWithParam<answers_case>
{
};

TEST_P(MplayerAnswers, OfOneRead)
{
	const answers_case &c = GetParam();
	std::string partial;
	const mplayer_answers a = mplayer_parse_answers(partial, c.read);
	EXPECT_EQ(a.misbehaving, c.misbehaving);
	EXPECT_EQ(a.ended, c.ended);
	EXPECT_EQ(a.volume, c.volume);
	EXPECT_EQ(a.position, c.position);
	EXPECT_EQ(partial, c.partial);
}

const std::string END = "ANS_ERROR=PROPERTY_UNAVAILABLE\n";

INSTANTIATE_TEST_SUITE_P(
        Mplayer, MplayerAnswers,
        testing::Values(answers_case{ "Nothing", "", false, false, std::nullopt, std::nullopt, "" },
                        answers_case{ "Position", "ANS_time_pos=12.5\n", false, false, std::nullopt,
                                      12.5f, "" },
                        answers_case{ "TheLastPositionWins", "ANS_time_pos=1.0\nANS_time_pos=2.0\n",
                                      false, false, std::nullopt, 2.0f, "" },
                        answers_case{ "VolumeAndPosition", "ANS_volume=40.0\nANS_time_pos=3.0\n",
                                      false, false, 40.0f, 3.0f, "" },
                        answers_case{ "EndOfFileKeepsTheVolume",
                                      "ANS_time_pos=9.0\n" + END + "ANS_volume=20\n", false, true,
                                      20.0f, std::nullopt, "" },
                        answers_case{ "EndOfFileIgnoresABrokenPosition", "ANS_time_pos=x\n" + END,
                                      false, true, std::nullopt, std::nullopt, "" },
                        answers_case{ "PositionWithoutANumber", "ANS_time_pos=abc\n", true, false,
                                      std::nullopt, std::nullopt, "" },
                        answers_case{ "VolumeWithoutANumber", "ANS_volume=\n" + END, true, false,
                                      std::nullopt, std::nullopt, "" },
                        answers_case{ "AnUnfinishedLineWaits", "ANS_time_pos=4.0\nANS_time_pos=5",
                                      false, false, std::nullopt, 4.0f, "ANS_time_pos=5" },
                        // Numbers no file or mixer has are ignored.
                        answers_case{ "PositionNotANumber", "ANS_time_pos=nan\n", false, false,
                                      std::nullopt, std::nullopt, "" },
                        answers_case{ "PositionPastAFloat", "ANS_time_pos=1e39\n", false, false,
                                      std::nullopt, std::nullopt, "" },
                        answers_case{ "PositionNegative", "ANS_time_pos=-4\n", false, false,
                                      std::nullopt, std::nullopt, "" },
                        answers_case{ "VolumePastTheScale", "ANS_volume=100.5\nANS_time_pos=2\n",
                                      false, false, std::nullopt, 2.0f, "" },
                        answers_case{ "VolumeNegative", "ANS_volume=-1\n", false, false,
                                      std::nullopt, std::nullopt, "" },
                        answers_case{ "VolumeInfinite", "ANS_volume=inf\n", false, false,
                                      std::nullopt, std::nullopt, "" },
                        answers_case{ "VolumeAtTheEnds", "ANS_volume=0\nANS_time_pos=0\n", false,
                                      false, 0.0f, 0.0f, "" }),
        [](const testing::TestParamInfo<answers_case> &info) { return info.param.name; });

TEST(Mplayer, AnAnswerSplitAcrossReadsIsReadWhenItsLineEnds)
{
	std::string partial;
	EXPECT_EQ(mplayer_parse_answers(partial, "ANS_time").position, std::nullopt);
	EXPECT_EQ(partial, "ANS_time");
	EXPECT_EQ(mplayer_parse_answers(partial, "_pos=41.0\nANS_vol").position, 41.0f);
	EXPECT_EQ(partial, "ANS_vol");
	EXPECT_EQ(mplayer_parse_answers(partial, "ume=70\n").volume, 70.0f);
	EXPECT_EQ(partial, "");
}

TEST(Mplayer, ALineLongerThanAnyAnswerIsNotKept)
{
	std::string partial;
	const std::string noise(1001, 'x');
	mplayer_parse_answers(partial, noise);
	EXPECT_EQ(partial, "");
	EXPECT_EQ(mplayer_parse_answers(partial, "ANS_time_pos=1\n").position, 1.0f);
}

struct resume_case {
	const char *name;
	float position;
	int seconds;
};

class MplayerResume : public testing::TestWithParam<resume_case>
{
};

// A player that reported nan or a huge position and then died made the
// conversion to a second undefined (found by fuzzing).
TEST_P(MplayerResume, AtAWholeSecondWithinTheFile)
{
	EXPECT_EQ(mplayer_resume_seconds(GetParam().position), GetParam().seconds);
}

INSTANTIATE_TEST_SUITE_P(
        Mplayer, MplayerResume,
        testing::Values(resume_case{ "Seconds", 7.6f, 7 }, resume_case{ "Start", 0.0f, 0 },
                        resume_case{ "BeforeTheStart", -3.5f, 0 },
                        resume_case{ "NotANumber", std::nanf(""), 0 },
                        resume_case{ "Infinite", INFINITY, INT_MAX },
                        resume_case{ "MinusInfinite", -INFINITY, 0 },
                        resume_case{ "PastAnInt", 1e30f, INT_MAX },
                        resume_case{ "LargestBelowTheLimit", 2147483520.0f, 2147483520 }),
        [](const testing::TestParamInfo<resume_case> &info) { return info.param.name; });

} // namespace
