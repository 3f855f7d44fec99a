// The extraction walk, free of Windows: every packaged file is written under
// its bare name into the extraction folder, in trailer order. The Win32 side
// supplies files, the failure prompt and the yield through ExtractHost.
#pragma once

#include <memory>
#include <string_view>

#include "byte_source.h"
#include "extraction_record.h"

namespace kv {

// The buttons of the Abort/Retry/Ignore prompt, numbered as the system's
// message box returns them.
enum class StepAnswer { Abort = 3, Retry = 4, Ignore = 5 };
enum class StepOutcome { Done, Skipped, Aborted };

class ExtractHost {
public:
    // Creates the file anew: a file of that name is deleted first and never
    // written into. Null when either step fails.
    virtual std::unique_ptr<ByteSink> CreateOutput(const char* path) = 0;
    // Asked after a failed step.
    virtual StepAnswer AskAfterFailure() = 0;
    // Lets pending window events run.
    virtual void LetEventsRun() = 0;

protected:
    // Never deleted through this interface: no virtual destructor to carry.
    ~ExtractHost() = default;
};

// Runs `step` until it succeeds; after a failure the host is asked: Retry
// runs the step again, Ignore skips it, anything else aborts.
template <typename Step>
StepOutcome RunStep(Step&& step, ExtractHost& host) {
    for (;;) {
        if (step()) return StepOutcome::Done;
        switch (host.AskAfterFailure()) {
        case StepAnswer::Retry: continue;
        case StepAnswer::Ignore: return StepOutcome::Skipped;
        default: return StepOutcome::Aborted;
        }
    }
}

// Writes every entry of `package` into `folder` (which ends in a backslash)
// and adds each entry's outcome to `record`. Returns false when the user
// chose Abort. Skipping an entry whose directory fields cannot be read ends
// the walk, since every later entry's position depends on that entry's size.
bool ExtractEntries(ByteSource& package, std::string_view folder, ExtractHost& host,
                    ExtractionRecord& record);

}  // namespace kv
