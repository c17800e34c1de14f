// A saved test read back from its files alone, without the window and without touching the
// run in force: the archive (with the record times of the CSV beside it), its test file and its
// extensometer file. The results come out as the window shows them when the archive is played
// back.
#pragma once

#include <string>

#include "results/results_engine.h"
#include "run/series_member.h"

struct SavedTest {
    std::string archivePath;   // UTF-8
    std::string operatorName;  // UTF-8: the test file's, else the tester of its settings
    SeriesMember member;
    bool hasTestFile = false;  // the specimen, start time and series were stored beside it
    double breakValue = 0;     // the break value of the archive's settings
    // Why the extensometer file beside the archive was refused (UTF-8); empty when there is
    // none or it was taken.
    std::string extensometerNotice;
    ResultSet set;
};

// Reads the test of an archive, with the extensometer's readings of the file beside it. Without
// a test file the specimen is `fallback` (and the notes say so); an extensometer file that is
// refused leaves the test without the extensometer, and the notes say why. False, with a
// message, when the archive cannot be read.
bool LoadSavedTest(const std::string& archivePathUtf8, const SpecimenDims& fallback,
                   SavedTest* test, std::string* errorUtf8);
