#include "session.h"

#include "descriptor.h"
#include "files.h"
#include "text_utils.h"
#include "trailer.h"

namespace kv {

namespace {

// What the session holds. The program ends only through ExitProcess, which
// runs no destructor: the union keeps them to the end without registering
// one at start-up.
struct Values {
    PackageSettings settings;
    String temp_path;
    ExtractionRecord extracted;
};
union KeptValues {
    Values values;
    constexpr KeptValues() : values() {}
    ~KeptValues() {}
} g_kept;
PackageSettings& g_settings = g_kept.values.settings;

ui::Form* g_file_form = nullptr;
int g_file_list = 0;

ui::Form* g_about = nullptr;
ui::Form* const* g_end_order = nullptr;
int g_window_count = 0;

// Once the program has begun to end, no window may ask the exit question
// again, nor may a second question open while one is on screen.
bool g_ending = false;
bool g_asking = false;

void HideAll() {
    for (int i = 0; i < g_window_count; ++i) g_end_order[i]->Hide();
}

}  // namespace

String& strTempPath = g_kept.values.temp_path;
ExtractionRecord& extractedFiles = g_kept.values.extracted;

void UseFileList(ui::Form& form, int list_box) {
    g_file_form = &form;
    g_file_list = list_box;
}

void AddPackagedFile(const char* name) { g_file_form->AddItem(g_file_list, name); }

void ForEachPackagedFile(void (*visit)(const String& name, void* context), void* context) {
    if (!g_file_form) return;
    const int count = g_file_form->ItemCount(g_file_list);
    for (int i = 0; i < count; ++i) visit(g_file_form->Item(g_file_list, i), context);
}

void SetWindows(ui::Form& about, ui::Form* const* end_order, int count) {
    g_about = &about;
    g_end_order = end_order;
    g_window_count = count;
}

const PackageSettings& Settings() { return g_settings; }

String GetWinDir() { return platform::WindowsDirectory(); }

String WindowsFolder(const char* name) { return FolderUnder(GetWinDir(), name); }

String ExtractedPath(std::string_view name) { return Concat(strTempPath, name); }

int ReadPackageSettings(bool& signature_ok) {
    String text;
    if (!platform::ReadTextFile(ExtractedPath(kDescriptorName).c_str(), text)) return 0;
    const int read = ReadDescriptor(text.data(), text.size(), kDescriptorFields, g_settings);
    signature_ok = HasValidSignature(g_settings);
    return read;
}

bool ReadExtractedText(std::string_view name, String& text) {
    // Only an entry this run extracted: the descriptor may name any path.
    String content;
    if (!extractedFiles.Holds(name) ||
        !platform::ReadTextFile(ExtractedPath(name).c_str(), content))
        return false;
    text = LinesWithCrLf(content.data(), content.size());
    return true;
}

void KillFile(const char* path) { platform::DeleteOneFile(path); }

void DeleteExtractedFiles(const String* keep) {
    extractedFiles.ForEachHeld([&](std::string_view name) {
        if (!keep || name != *keep) KillFile(ExtractedPath(name).c_str());
    });
}

void ConfirmExit(ui::Form& page) {
    if (g_ending || g_asking) return;
    g_asking = true;
    const int answer =
        ui::MsgBox("Kervale has not finished installing the font. Are you sure you want to exit?",
                   ui::kMsgYesNo, "Kervale");
    g_asking = false;
    if (answer == ui::kAnswerNo) return;

    g_ending = true;
    DeleteExtractedFiles();
    page.Hide();
    if (g_about) g_about->Hide();
    ui::EndProgram();
}

void CleanUp() {
    g_ending = true;
    DeleteExtractedFiles(&g_settings.readme);
    HideAll();
    ui::EndProgram();
}

void DatafileCorrupted() {
    ui::MsgBox("The kervale datafile is corrupted.");
    CleanUp();
}

}  // namespace kv
