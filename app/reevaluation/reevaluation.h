// Saved tests evaluated again from their files, as the program evaluates them: an archive
// through LoadSavedTest, the program's CSV alone through its reader, each with the method
// settings of the command line over those of its files; then the statistics of several.
#pragma once

#include <string>
#include <vector>

#include "reevaluation/reevaluation_options.h"
#include "results/results_engine.h"
#include "run/series_member.h"
#include "series/series_stats.h"

struct EvaluatedTest {
    std::string path;  // UTF-8
    bool archive = false;
    SeriesMember member;
    std::string operatorName;  // UTF-8, an archive's
    ResultSet set;
    // The lines a view prints under the results: where the fracture was found, the engine's
    // notes, then how this command read the file (UTF-8).
    std::vector<std::string> notes;
    std::vector<std::string> fromCommandLine;  // the values the command line set (UTF-8)
};

struct RefusedFile {
    std::string path, message;  // UTF-8
};

struct Evaluation {
    std::vector<EvaluatedTest> tests;  // in the order given, a folder's by file name
    std::vector<RefusedFile> refused;
    bool withStatistics = false;  // several tests, or a folder
    std::vector<ResultStatistics> statistics;
};

// An archive (with its test file and CSV beside it). Without a test file the specimen is that
// of Specimen.ini in the archive's folder. False, with a message, when it cannot be read.
bool EvaluateArchive(const std::string& pathUtf8, const ReevaluationOptions& options,
                     EvaluatedTest* test, std::string* errorUtf8);
// The program's CSV alone; the series membership from the test file beside it, where there
// is one. A CSV that does not name its break record takes it by the break rule with the
// command line's break value, else has none; the notes say so.
bool EvaluateCsv(const std::string& pathUtf8, const ReevaluationOptions& options,
                 EvaluatedTest* test, std::string* errorUtf8);
// The tests of a folder, by file name: every archive (but the settings file MyTestSet.dat) and
// every CSV without an archive beside it (an archive's extensometer file is not a CSV of a
// test); of one series only when `series` is given. False,
// with a message, when the folder cannot be read.
bool TestsOfFolder(const std::string& folderUtf8, const std::optional<std::string>& series,
                   std::vector<std::string>* paths, std::string* errorUtf8);
// Every input of the command line, then the statistics over the valid tests.
Evaluation EvaluateInputs(const ReevaluationOptions& options);

// Enters each evaluated archive, as evaluated, in the results store of its folder; the store
// records what changed, and a change of method from the command line is added to the test's
// history. The archives are only read. A test read from a CSV alone has no archive to enter:
// it is refused. *lines gets a line per store updated.
void UpdateStores(const Evaluation& evaluation, std::vector<RefusedFile>* refused,
                  std::vector<std::string>* lines);
