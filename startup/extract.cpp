#include "extract.h"

#include "trailer.h"

namespace kv {

namespace {
void YieldThunk(void* host) { static_cast<ExtractHost*>(host)->LetEventsRun(); }
}  // namespace

bool ExtractEntries(ByteSource& package, std::string_view folder, ExtractHost& host,
                    ExtractionRecord& record) {
    TrailerWalker walker(package);
    StepOutcome outcome = RunStep([&] { return walker.Start() == TrailerError::None; }, host);
    if (outcome != StepOutcome::Done) return outcome != StepOutcome::Aborted;

    TrailerEntry entry;
    while (!walker.done()) {
        outcome = RunStep([&] { return walker.Next(entry) == TrailerError::None; }, host);
        host.LetEventsRun();
        if (outcome == StepOutcome::Aborted) return false;
        if (outcome == StepOutcome::Skipped) break;

        // One step: a retry starts the file again from empty, so it always
        // ends up holding exactly the body.
        const String path = Concat(folder, entry.name);
        outcome = RunStep(
            [&] {
                std::unique_ptr<ByteSink> out = host.CreateOutput(path.c_str());
                return out &&
                       CopyRange(package, entry.body_offset, entry.size, *out, YieldThunk, &host);
            },
            host);
        host.LetEventsRun();
        if (outcome == StepOutcome::Aborted) return false;
        record.Add(entry.name, outcome == StepOutcome::Done);
    }
    return true;
}

}  // namespace kv
