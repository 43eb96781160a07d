#pragma once

// Baseline and subject are measured in alternation, several rounds; the
// medians are compared.

#include <QElapsedTimer>
#include <algorithm>
#include <cstdio>
#include <functional>
#include <vector>

namespace bench {

inline double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    const size_t n = v.size();
    return n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

inline double timeMs(const std::function<void()>& work)
{
    QElapsedTimer timer;
    timer.start();
    work();
    return timer.nsecsElapsed() / 1e6;
}

struct Result {
    double baselineMs, subjectMs;
    double ratio() const { return subjectMs / baselineMs; }
};

inline Result alternate(int rounds, const std::function<double()>& baseline, const std::function<double()>& subject)
{
    std::vector<double> b, s;
    baseline();  // warm both up once
    subject();
    for (int i = 0; i < rounds; ++i) {
        b.push_back(baseline());
        s.push_back(subject());
    }
    return {median(b), median(s)};
}

// `unit`: what the two measures are in.
inline void report(const char* name, const Result& r, double target, const char* unit = "ms")
{
    std::printf("%s: baseline %.2f %s, subject %.2f %s\n", name, r.baselineMs, unit, r.subjectMs, unit);
    std::printf("%s: ratio %.2f (target <= %.1f)\n", name, r.ratio(), target);
    std::fflush(stdout);
}

}  // namespace bench
