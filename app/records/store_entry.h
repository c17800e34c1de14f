// A saved test as the results store enters it, and the store built again from the files of
// the data folder: the files are the record of every test, the store only their index.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "store/results_store.h"

struct SavedTest;

// The entry of a test read back with LoadSavedTest: its file names relative to the data
// folder (the test file, CSV and workbook only where they are), the archive's SHA-256 and
// mtime, what its test file says, the results rows with their units, the notes every view
// prints (ResultNotes) and the fracture record. The rig name is left empty: the store then
// enters the host name. False, with a message, when the archive is not in the data folder or
// cannot be read.
bool EntryOfSavedTest(const SavedTest& test, const std::string& dataFolderUtf8, StoredTest* entry,
                      std::string* errorUtf8);

struct ReindexReport {
    int entered = 0;        // archives entered
    int seriesEntered = 0;  // series files entered
    // "<file name>: <why>" for every archive or series file that could not be entered.
    std::vector<std::string> refused;
    // What the old store's opening said (a damaged one put aside), if anything.
    std::string notice;
    // Why no new store took the old one's place; empty when one did.
    std::string failure;
};

// done of total files handled so far; called after each file.
using ReindexProgress = std::function<void(int done, int total)>;

// Builds a new store beside the one at storePathUtf8 from every archive of the folder (a
// regular file "*.dat" of exactly kArchiveBytes) and every "*.series.ini", then renames it
// over the old store in one step. A file that does not read is listed in the report and
// left out; the history of changes of the tests still there is kept, and what the new
// reading changes in them is added to it. False (report->failure says why) when the new
// store cannot be built or put in place; the old store is then as it was.
bool ReindexDataFolder(const std::string& folderUtf8, const std::string& storePathUtf8,
                       const ReindexProgress& progress, ReindexReport* report);
