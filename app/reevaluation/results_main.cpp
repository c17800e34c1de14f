// velmora-results: saved tests evaluated again from their files, without a window, printed
// as a table, CSV or JSON.
#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#ifdef VELMORA_RESULTS_ENGLISH
#include <QCoreApplication>
#include <QTranslator>

#include "common/library_texts.h"
#include "common/ui_text.h"
#include "reevaluation/reevaluation_texts.h"
#include "results/result_translation.h"
#endif

#include "reevaluation/reevaluation.h"
#include "reevaluation/reevaluation_options.h"
#include "reevaluation/reevaluation_output.h"

#ifdef VELMORA_RESULTS_ENGLISH
namespace {

std::string EnglishLabel(const char* text) {
    return QCoreApplication::translate("ReevaluationTexts", text).toStdString();
}

// The values and notes velmora-results adds, else the engine's names and notes.
std::string EnglishResult(const std::string& text) {
    const QString own = TranslatedText("ReevaluationTexts", ReevaluationTextTemplates(), text);
    return (own != QString::fromStdString(text) ? own : TranslatedResultText(text)).toStdString();
}

}  // namespace
#endif

int main(int argc, char* argv[]) {
    // Numbers are read and written without the process locale; messages may use it.
    std::setlocale(LC_ALL, "");
    std::setlocale(LC_NUMERIC, "C");
    ReevaluationOptions options;
    const std::vector<std::string> args(argv + 1, argv + argc);
    const std::string refused = ParseReevaluationOptions(args, &options);
    if (!refused.empty()) options.language = LanguageAsked(args);
    TableLanguage language;
#ifdef VELMORA_RESULTS_ENGLISH
    // Qt only for English where something is printed in it (the table, the help, a refusal):
    // the Chinese start needs none, and starts as fast as ever.
    std::unique_ptr<QCoreApplication> application;
    QTranslator results, labels, records, store;
    if ((options.format == OutputFormat::kTable || options.help || !refused.empty()) &&
        TableInEnglish(options, std::getenv("LC_ALL"), std::getenv("LC_MESSAGES"),
                       std::getenv("LANG"))) {
        application = std::make_unique<QCoreApplication>(argc, argv);
        std::setlocale(LC_NUMERIC, "C");
        if (results.load(QStringLiteral(":/i18n/velmora_result_texts_en.qm")) &&
            labels.load(QStringLiteral(":/i18n/velmora_reevaluation_en.qm")) &&
            records.load(QStringLiteral(":/i18n/velmora_records_en.qm")) &&
            store.load(QStringLiteral(":/i18n/velmora_store_en.qm"))) {
            for (QTranslator* translator : {&results, &labels, &records, &store})
                QCoreApplication::installTranslator(translator);
            // The files' and the store's refusals are made in the language installed.
            ui::SetTranslator(&TranslateWithQt);
            language = {EnglishLabel, EnglishResult};
        }
    }
#endif
    const auto shown = [&language](const std::string& text) {
        return language.result != nullptr ? language.result(text) : text;
    };
    if (!refused.empty()) {
        std::fprintf(stderr, "velmora-results: %s\n%s", shown(refused).c_str(),
                     shown(ReevaluationUsage()).c_str());
        return 2;
    }
    if (options.help) {
        std::printf("%s", shown(ReevaluationUsage()).c_str());
        return 0;
    }
    if (options.version) {
        std::printf("velmora-results %s\n", VELMORA_VERSION);
        return 0;
    }
#ifndef VELMORA_RESULTS_ENGLISH
    if (!options.language.empty() && options.language != "zh") {
        std::fprintf(stderr, "velmora-results: --lang en: this build speaks Chinese only\n");
        return 2;
    }
#endif
    Evaluation evaluation = EvaluateInputs(options);
    std::vector<std::string> updated;
    if (options.updateStore) UpdateStores(evaluation, &evaluation.refused, &updated);
    for (const std::string& line : updated)
        std::fprintf(stderr, "velmora-results: %s\n", line.c_str());
    for (const RefusedFile& file : evaluation.refused)
        std::fprintf(stderr, "velmora-results: %s\n", file.message.c_str());
    const std::string text = options.format == OutputFormat::kJson ? JsonText(evaluation)
                             : options.format == OutputFormat::kCsv
                                 ? CsvText(evaluation)
                                 : TableText(evaluation, language);
    std::fwrite(text.data(), 1, text.size(), stdout);
    if (std::fflush(stdout) != 0) return 1;
    return evaluation.refused.empty() ? 0 : 1;
}
