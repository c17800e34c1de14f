// Which series a test belongs to, and where: its specimen's number and, when the specimen was
// marked invalid, the reason. Stored in the test file beside the archive and in the store.
#pragma once

#include <string>

struct SeriesMember {
    std::string series;          // UTF-8; empty: the test is a lone one
    int number = 0;              // the specimen's place in the series, from 1
    std::string excludedReason;  // UTF-8; not empty: invalid, counted in no statistic
};

// "<series>-<number>", the number two digits wide ("钢丝 B-03"); empty for a lone test.
std::string SpecimenIdOf(const SeriesMember& member);
