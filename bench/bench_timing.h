// Timing for the benchmarks: the wall clock and the calling thread's CPU
// time, which other work on a shared machine inflates less, and the median
// of repeated runs.
#pragma once

#include <algorithm>
#include <chrono>
#include <ctime>
#include <vector>

using clock_type = std::chrono::steady_clock;

inline double seconds_since(clock_type::time_point start)
{
	return std::chrono::duration<double>(clock_type::now() - start).count();
}

inline double thread_cpu_seconds()
{
	timespec t;
	clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
	return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) / 1e9;
}

// The wall clock and the thread's CPU time of one call.
struct sample {
	double wall, cpu;
};

template <typename F>
sample timed(F f)
{
	const double cpu0 = thread_cpu_seconds();
	const auto start = clock_type::now();
	f();
	return { seconds_since(start), thread_cpu_seconds() - cpu0 };
}

inline double median(std::vector<double> v)
{
	std::sort(v.begin(), v.end());
	return v[v.size() / 2];
}
