#pragma once
// The four read-only memory viewers: the code file (196), the flash read
// back (198), code against flash (213) and two code files (224). Each shows
// its text from gui/memory_texts.h under the column caption; the viewer
// files go to the working directory.

#include "ui/dialog.h"

#include <cstdint>
#include <string>

namespace gui {

struct MemoryViewState {
    // The file that "Copy" of the flash viewer wrote last; empty until one
    // was written in the current opening (READ / COPY takes it from here).
    std::string ReadCopyPath;

    void Reset() { *this = MemoryViewState{}; }
};

extern MemoryViewState MemoryView;

inline constexpr int kDumpEditId = 1094;    // the multi-line dump
inline constexpr int kDumpCaptionId = 1095; // the column caption above it

// "File Code Data": CodeImage on the selected device's map.
class MemoryViewDlg : public ui::Dialog {
public:
    MemoryViewDlg();

protected:
    bool OnInitDialog() override;

private:
    void Rebuild();
    std::string text_;
};

// "Flash Memory Data": ReadImage with ReadMask on the identified map.
// "Copy" (1089) is offered only with a read result.
class TargetMemViewDlg : public ui::Dialog {
public:
    explicit TargetMemViewDlg(bool readResult);

protected:
    bool OnInitDialog() override;

private:
    void Rebuild();
    void Copy();
    bool readResult_;
    std::string text_;
};

// "Comparation Code and Flash Memory Data".
class CompareMemViewDlg : public ui::Dialog {
public:
    CompareMemViewDlg();

protected:
    bool OnInitDialog() override;

private:
    std::string text_;
};

// "Two Code Data Files Comparation Result": the code image against the
// second file that the caller loaded into the programming image.
class CompareCodesViewDlg : public ui::Dialog {
public:
    CompareCodesViewDlg();

protected:
    bool OnInitDialog() override;

private:
    std::string text_;
};

// The working directory's file of that name, where the viewer files go.
std::string ViewerFilePath(const std::string& name);

} // namespace gui
