#include "self_extract.h"

#include "extract.h"
#include "files.h"
#include "form.h"
#include "runtime_win.h"
#include "session.h"
#include "trailer.h"

namespace kv {

namespace {

// A failed step asks the user what to do; the window keeps painting between steps.
class InstallerExtractHost final : public ExtractHost {
public:
    std::unique_ptr<ByteSink> CreateOutput(const char* path) override {
        auto file = std::make_unique<platform::FileSink>(platform::CreateFresh(path));
        if (!file->valid()) return nullptr;
        return file;
    }
    StepAnswer AskAfterFailure() override {
        const int answer =
            ui::MsgBox("An error occured. Header may be damaged.\r\nDo you want to abort/retry?",
                       ui::kMsgAbortRetryIgnoreExclamation, "Error");
        if (answer == ui::kAnswerRetry) return StepAnswer::Retry;
        if (answer == ui::kAnswerIgnore) return StepAnswer::Ignore;
        return StepAnswer::Abort;
    }
    void LetEventsRun() override { ui::YieldToEvents(); }
};

// Should memory run out, no extracted file is left behind in the shared
// Temp folder; files this run did not write are not touched.
void DeleteAllExtracted() { DeleteExtractedFiles(); }

}  // namespace

bool ExtractFiles(ByteSource& package) {
    strTempPath = WindowsFolder("Temp");
    if (strTempPath.empty()) return false;
    platform::SetFatalCleanUp(DeleteAllExtracted);
    InstallerExtractHost host;
    if (!ExtractEntries(package, strTempPath, host, extractedFiles)) {
        DeleteExtractedFiles();
        ui::EndProgram();
    }
    return extractedFiles.Holds(kDescriptorName);
}

}  // namespace kv
