#include "run/series_member.h"

#include <cstdio>

std::string SpecimenIdOf(const SeriesMember& member) {
    if (member.series.empty()) return std::string();
    char number[16];
    std::snprintf(number, sizeof number, "%02d", member.number);
    return member.series + "-" + number;
}
