// velmora-results: saved tests evaluated again from their files, without a window, printed
// as a table, CSV or JSON.
#include <clocale>
#include <cstdio>
#include <string>
#include <vector>

#include "reevaluation/reevaluation.h"
#include "reevaluation/reevaluation_options.h"
#include "reevaluation/reevaluation_output.h"

int main(int argc, char* argv[]) {
    // Numbers are read and written without the process locale; messages may use it.
    std::setlocale(LC_ALL, "");
    std::setlocale(LC_NUMERIC, "C");
    ReevaluationOptions options;
    const std::string refused =
        ParseReevaluationOptions(std::vector<std::string>(argv + 1, argv + argc), &options);
    if (!refused.empty()) {
        std::fprintf(stderr, "velmora-results: %s\n%s", refused.c_str(),
                     ReevaluationUsage().c_str());
        return 2;
    }
    if (options.help) {
        std::printf("%s", ReevaluationUsage().c_str());
        return 0;
    }
    if (options.version) {
        std::printf("velmora-results %s\n", VELMORA_VERSION);
        return 0;
    }
    Evaluation evaluation = EvaluateInputs(options);
    std::vector<std::string> updated;
    if (options.updateStore) UpdateStores(evaluation, &evaluation.refused, &updated);
    for (const std::string& line : updated)
        std::fprintf(stderr, "velmora-results: %s\n", line.c_str());
    for (const RefusedFile& file : evaluation.refused)
        std::fprintf(stderr, "velmora-results: %s\n", file.message.c_str());
    const std::string text = options.format == OutputFormat::kJson  ? JsonText(evaluation)
                             : options.format == OutputFormat::kCsv ? CsvText(evaluation)
                                                                    : TableText(evaluation);
    std::fwrite(text.data(), 1, text.size(), stdout);
    if (std::fflush(stdout) != 0) return 1;
    return evaluation.refused.empty() ? 0 : 1;
}
