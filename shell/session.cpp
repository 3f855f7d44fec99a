#include "session.h"

#include "descriptor.h"
#include "files.h"
#include "text_utils.h"
#include "trailer.h"

namespace kv {

std::string strTempPath;
ExtractionRecord extractedFiles;

namespace {

PackageSettings g_settings;

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

void UseFileList(ui::Form& form, int list_box) {
    g_file_form = &form;
    g_file_list = list_box;
}

void AddPackagedFile(const std::string& name) { g_file_form->AddItem(g_file_list, name); }

void ForEachPackagedFile(void (*visit)(const std::string& name, void* context), void* context) {
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

std::string GetWinDir() { return platform::WindowsDirectory(); }

int ReadPackageSettings(bool& signature_ok) {
    std::string text;
    if (!platform::ReadTextFile(strTempPath + kDescriptorName, text)) return 0;
    Descriptor descriptor;
    const int read = ReadDescriptor(text.data(), text.size(), kDescriptorFields, descriptor);
    signature_ok = HasValidSignature(descriptor);
    if (read >= kDescriptorFields - 1) {
        g_settings.readme = descriptor.readme;
        g_settings.license = descriptor.license;
        g_settings.font_name = descriptor.font_name;
        g_settings.web_url = descriptor.web_url;
    }
    if (read == kDescriptorFields) g_settings.link_name = descriptor.link_name;
    return read;
}

bool ReadExtractedText(const std::string& name, std::string& text) {
    // Only an entry this run extracted: the descriptor may name any path.
    std::string content;
    if (!extractedFiles.Holds(name) || !platform::ReadTextFile(strTempPath + name, content))
        return false;
    text = LinesWithCrLf(content.data(), content.size());
    return true;
}

void KillFile(const std::string& path) { platform::DeleteOneFile(path); }

void DeleteExtractedFiles(const std::string* keep) {
    extractedFiles.ForEachHeld([&](const std::string& name) {
        if (!keep || name != *keep) KillFile(strTempPath + name);
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
