#include "core/atomic_write.h"
#include "core/code_file_names.h"
#include "core/core_state.h"
#include "core/setup_file.h"
#include "core/setup_keys.h"
#include "gui/project/project_files.h"
#include "gui/project/project_fingerprint.h"
#include "gui/project/project_password_dialog.h"
#include "gui/project/project_read.h"
#include "gui/project/project_security_dialog.h"
#include "gui/project/project_state.h"
#include "gui/project/project_write.h"
#include "platform/atomic_file.h"
#include "tests/project/project_fixture.h"
#include "tests/support/temp_dir.h"
#include "ui/test_session.h"
#include "ui/transcript.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

namespace {

using namespace gui;
using projecttest::StateCopy;

constexpr uint32_t kThisPc = 0x1234ABCDu;
constexpr const char* kPassword = "Pa55 word";

void UsePcNumber(uint32_t value) {
    PcVolumeSourceSet([value](const std::string& path, PcVolume& volume) {
        if (path != "/") {
            return false;
        }
        volume = {1, value};
        return true;
    });
}

class ProjectFileTest : public ::testing::Test {
protected:
    void SetUp() override {
        ResetAll();
        UsePcNumber(kThisPc);
    }
    void TearDown() override {
        ResetAll();
        PcVolumeSourceSet(nullptr);
        platform::SetAtomicFileCommitHook(nullptr);
    }
    static void ResetAll() {
        core::CoreStateReset();
        ProjectStateReset();
    }

    // The security settings of a save.
    static void Choose(int32_t mode, int32_t options, const std::string& unlock) {
        Project.ProjectModeSetting = mode;
        Project.ProjectLockOptionsSetting = options;
        Project.ProjectPassword = kPassword;
        Project.ProjectPcCode = PcFingerprintText(kThisPc);
        Project.ProjectUnlockPassword = unlock;
    }

    // Writes the current job as a project with the chosen settings.
    std::string Write(const std::string& name,
                      const std::string& programName = kProjectProgramName) {
        const std::string path = dir_.File(name);
        ProjectKeySetForSave();
        EXPECT_EQ(ProjectWrite(path, programName), 1);
        return path;
    }

    // Scripts the "Password" prompt to get password and OK; with nullptr
    // nothing is scripted, so a prompt is cancelled.
    static void AnswerPassword(ui::TestSession& s, const char* password) {
        if (password != nullptr) {
            const std::string typed = password;
            s.OnDialog(IDD_PRJ_PASSWORD, [typed](ui::Driver& d) {
                d.Type(IDC_PRJ_PASSWORD, typed);
                d.Click(ui::IDOK);
            });
        }
    }

    // Opens path; a mode-2 prompt gets password (nullptr: no script, so it
    // is cancelled). Returns the result.
    static int32_t Open(const std::string& path, const char* password = nullptr) {
        ui::TestSession s;
        AnswerPassword(s, password);
        return ProjectOpen(path, kProjectTargetTag);
    }

    // Opens path expecting a refusal with exactly the box text (or, for an
    // empty text, a cancelled password prompt and no box), and nothing
    // changed. Starts from a loaded job and an earlier project's traces.
    void ExpectRefused(const std::string& path, const std::string& box,
                       const char* password = nullptr) {
        Project.ProjectModeRead = 2;
        Project.ProjectKey = "earlier key";
        Project.ProjectTokenLine = "earlier token line";
        core::CodeFileNames.CodeFile.Set("/jobs/earlier.txt");
        const StateCopy before = StateCopy::Take();
        Project.ProjectLockOptionsRead = 5;

        ui::TestSession s;
        AnswerPassword(s, password);
        EXPECT_EQ(ProjectOpen(path, kProjectTargetTag), 0);
        const auto& boxes = s.Boxes().Transcript();
        if (box.empty()) {
            EXPECT_TRUE(boxes.empty());
            EXPECT_TRUE(ui::TranscriptHas("[21002] open"));
        } else {
            ASSERT_EQ(boxes.size(), 1u);
            EXPECT_EQ(boxes[0].text, box);
            EXPECT_EQ(boxes[0].caption, "Error");
            EXPECT_EQ(boxes[0].flags, platform::MB_OK | platform::MB_ICONERROR);
        }
        EXPECT_EQ(projecttest::StateDifference(before, StateCopy::Take()), "");
        EXPECT_EQ(Project.ProjectScrambleOn, 0);
        EXPECT_EQ(ProjectScrambler.CrcMode, kProjectCrcOutput);
    }

    testsupport::TempDir dir_;
};

// Every name a setup or project line carries.
std::vector<std::string> KeyNames() {
    std::vector<std::string> names = {"DestinationTarget",
                                      "DER816",
                                      "Quillbay",
                                      "ProjectMode",
                                      "CabinetKeepsOrderlyLedgers",
                                      "Morvane",
                                      "Programmers",
                                      "ProjectLockOptions",
                                      "BSL_Password",
                                      "AppendPasswData",
                                      "MSP430DLL1",
                                      "Selected_UIF",
                                      "SNFilePathAndName",
                                      "SN_DataFile",
                                      "ModelCode",
                                      "[EndOfConfiguration]",
                                      "[CodeContents]",
                                      "[ProjectCheckSum]"};
    for (int32_t r = 0; core::SetupIntKeyTable[r].variable != nullptr; ++r) {
        names.push_back(core::SetupIntKeyTable[r].name);
    }
    for (int32_t r = 0; core::SetupHexKeyTable[r].variable != nullptr; ++r) {
        names.push_back(core::SetupHexKeyTable[r].name);
    }
    return names;
}

TEST_F(ProjectFileTest, EveryModeAndLockOptionRoundTripsTheWholeJob) {
    // The job leaves no key at its default, so a key the reader skips shows.
    projecttest::FillJob();
    core::SettingsState defaults;
    core::SetupKeysDefault(defaults);
    for (int32_t r = 0; core::SetupIntKeyTable[r].variable != nullptr; ++r) {
        const auto v = core::SetupIntKeyTable[r].variable;
        EXPECT_NE(core::Settings.*v, defaults.*v) << core::SetupIntKeyTable[r].name;
    }
    for (int32_t r = 0; core::SetupHexKeyTable[r].variable != nullptr; ++r) {
        const auto v = core::SetupHexKeyTable[r].variable;
        EXPECT_NE(core::Settings.*v, defaults.*v) << core::SetupHexKeyTable[r].name;
    }

    const std::string unlocks[] = {"", "Unl0ck-Key"};
    for (int32_t mode = 1; mode <= 3; ++mode) {
        for (int32_t options = 0; options <= 7; ++options) {
            for (const std::string& unlock : unlocks) {
                SCOPED_TRACE("mode " + std::to_string(mode) + " options " +
                             std::to_string(options) + " unlock '" + unlock + "'");
                ResetAll();
                projecttest::FillJob();
                const StateCopy saved = StateCopy::Take();
                Choose(mode, options, unlock);
                const std::string path = dir_.File("job" + std::to_string(mode) +
                                                   std::to_string(options) + unlock + ".prj");
                {
                    ui::TestSession s;
                    s.OnDialog(IDD_SAVE_PRJ_OPTION, [](ui::Driver& d) { d.Click(ui::IDOK); });
                    s.AnswerFile(path);
                    ASSERT_EQ(ProjectSaveAs(kProjectTargetTag, kProjectProgramName), 1);
                }
                const std::string file = testsupport::ReadFile(path);
                for (const std::string& name : KeyNames()) {
                    EXPECT_EQ(file.find(name), std::string::npos) << name;
                }

                core::CoreStateReset(); // New Setup
                {
                    ui::TestSession s;
                    if (mode == 2) {
                        s.OnDialog(IDD_PRJ_PASSWORD, [](ui::Driver& d) {
                            d.Type(IDC_PRJ_PASSWORD, kPassword);
                            d.Click(ui::IDOK);
                        });
                    }
                    ASSERT_EQ(ProjectOpen(path, kProjectTargetTag), 1);
                    EXPECT_EQ(ui::TranscriptHas("[21002] open"), mode == 2);
                    EXPECT_TRUE(s.Boxes().Transcript().empty());
                }
                EXPECT_EQ(projecttest::JobDifference(saved, StateCopy::Take()), "");
                EXPECT_EQ(Project.ProjectModeRead, mode);
                EXPECT_EQ(Project.ProjectLockOptionsRead, options);
                EXPECT_EQ(core::CodeFileNames.CodeFile.FullPath(), path);
                EXPECT_EQ(core::CodeFileNames.CodeFile.extension, "prj");
                EXPECT_EQ(Project.ProjectScrambleOn, 0);

                // The token line opens with the unlock password only when the
                // lock options ask for one.
                const std::string right = (options & 5) == 5 ? unlock : "";
                const std::string wrong = right.empty() ? "guess" : "unl0ck-key";
                const auto unlockWith = [](const std::string& typed, bool cancel) {
                    ui::TestSession s;
                    s.OnDialog(IDD_PRJ_PASSWORD, [typed, cancel](ui::Driver& d) {
                        d.Type(IDC_PRJ_PASSWORD, typed);
                        d.Click(cancel ? ui::IDCANCEL : ui::IDOK);
                    });
                    const int32_t r = ProjectUnlockCheck();
                    std::vector<std::string> boxes;
                    for (const auto& b : s.Boxes().Transcript()) {
                        boxes.push_back(b.text);
                    }
                    return std::make_pair(r, boxes);
                };
                EXPECT_EQ(unlockWith(right, false), std::make_pair(1, std::vector<std::string>{}));
                EXPECT_EQ(unlockWith(wrong, false),
                          std::make_pair(-1, std::vector<std::string>{"Wrong Password. "}));
                EXPECT_EQ(unlockWith(right, true), std::make_pair(0, std::vector<std::string>{}));
            }
        }
    }
}

TEST_F(ProjectFileTest, RefusalsShowTheirMessageAndLoadNothing) {
    projecttest::FillJob();
    Choose(kProjectModePassword, 1, "");
    const std::string passwordFile = Write("password.prj");
    Choose(kProjectModePc, 3, "");
    const std::string pcFile = Write("pc.prj");
    Project.ProjectTargetTag = "OTHER1";
    Choose(kProjectModeNone, 0, "");
    const std::string otherFile = Write("other.prj", "Otherbay");
    Project.ProjectTargetTag = kProjectTargetTag;
    const std::string plainFile = Write("plain.prj");

    // The job in memory now differs from the files, so a partial load shows.
    core::CoreStateReset();
    core::Settings.SelectedProcessorIndex = 42;
    core::Settings.SN_DataFile = "/before/list.txt";

    {
        SCOPED_TRACE("wrong password");
        ExpectRefused(passwordFile, "Password is incorrect.\r\n\r\nProject terminated.",
                      "pa55 word");
    }
    {
        SCOPED_TRACE("password prompt cancelled");
        ExpectRefused(passwordFile, "");
    }
    {
        SCOPED_TRACE("another PC");
        UsePcNumber(kThisPc ^ 0x00010000u);
        ExpectRefused(pcFile, "The PC 'Hardware Fingerprint' number is incorrect.\r\n"
                              "Project has not been created for this PC.\r\n\r\n"
                              "Project terminated.");
        UsePcNumber(kThisPc);
    }
    {
        SCOPED_TRACE("another program's tag");
        ExpectRefused(otherFile, "Project File format is OK, but created for the\r\n"
                                 "Otherbay programming software.\r\n"
                                 "Please use the Otherbay software.\r\n\r\n\r\n"
                                 "Project terminated.");
    }
    {
        SCOPED_TRACE("no checksum line");
        std::string text = testsupport::ReadFile(plainFile);
        // Drop the last two lines: the section line and the value.
        for (int i = 0; i < 2; ++i) {
            text.resize(text.size() - 2);
            text.resize(text.rfind("\r\n") + 2);
        }
        const std::string path = dir_.File("nochecksum.prj");
        testsupport::WriteFile(path, text);
        ExpectRefused(path, "Corrupted project file.   \r\n\r\nProject terminated.");
    }
    {
        SCOPED_TRACE("unreadable path");
        const std::string path = dir_.File("missing.prj");
        ExpectRefused(path, "Open File or Read File Error\r\n\r\n" + path);
    }
}

TEST_F(ProjectFileTest, AFileCutBeforeTheEndOfItsChecksumIsRefused) {
    projecttest::FillJob();
    const std::string text = testsupport::ReadFile(Write("whole.prj"));
    ASSERT_EQ(text.substr(text.size() - 2), "\r\n");
    const size_t valueEnd = text.size() - 2;
    core::CoreStateReset();
    const std::string path = dir_.File("cut.prj");
    const StateCopy before = StateCopy::Take();
    StateCopy after = StateCopy::Take();
    for (size_t cut = 0; cut < valueEnd; ++cut) {
        SCOPED_TRACE("cut at " + std::to_string(cut));
        testsupport::WriteFile(path, text.substr(0, cut));
        ui::TestSession s;
        ASSERT_EQ(ProjectOpen(path, kProjectTargetTag), 0);
        ASSERT_EQ(s.Boxes().Transcript().size(), 1u);
        after.Refresh();
        ASSERT_EQ(projecttest::StateDifference(before, after), "");
    }
    testsupport::WriteFile(path, text.substr(0, valueEnd));
    EXPECT_EQ(Open(path), 1);
}

TEST_F(ProjectFileTest, AnyChangedCharacterBeforeTheChecksumValueIsRefused) {
    projecttest::FillJob();
    const std::string text = testsupport::ReadFile(Write("whole.prj"));
    const size_t valueStart = text.rfind("\r\n", text.size() - 3) + 2;
    core::CoreStateReset();
    const std::string path = dir_.File("changed.prj");
    const StateCopy before = StateCopy::Take();
    StateCopy after = StateCopy::Take();
    for (size_t at = 0; at < valueStart; ++at) {
        const auto c = static_cast<uint8_t>(text[at]);
        if (c < 32 || c > 159) {
            continue;
        }
        {
            // One changed bit, a different one from byte to byte.
            const int flip = 1 << (at % 7);
            SCOPED_TRACE("byte " + std::to_string(at) + " flip " + std::to_string(flip));
            std::string changed = text;
            changed[at] = static_cast<char>(((c - 32) ^ flip) + 32);
            testsupport::WriteFile(path, changed);
            ui::TestSession s; // a password prompt the change may raise is cancelled
            ASSERT_EQ(ProjectOpen(path, kProjectTargetTag), 0);
            const bool told = s.Boxes().Transcript().size() == 1;
            const bool cancelled =
                s.Boxes().Transcript().empty() && ui::TranscriptHas("[21002] end 2");
            ASSERT_TRUE(told || cancelled);
            after.Refresh();
            ASSERT_EQ(projecttest::StateDifference(before, after), "");
        }
    }
}

// A job kept small (the sweep below reads every damaged copy of it): a few
// settings, both passwords, the model text and code on both sides of
// 0x10000, so a lost key line, HEX record or extended address shows.
void SmallJob() {
    core::Settings.SelectedProcessorIndex = 11;
    core::Settings.MSP430DLL1 = "/opt/debug/lib one.so";
    // Serialization from a list: the SN_DataFile line is written.
    core::Settings.SerializationEnable = 1;
    core::Settings.SNDispFormatIndex = 7;
    core::Settings.SN_DataFile = "/srv/list.txt";
    for (int32_t i = 0; i < core::kPasswordSize; ++i) {
        core::Passwords.BslPassword[i] = (0xA0 + i * 3) & 0xFF;
        core::Passwords.AppendPasswData[i] = i < 4 ? 0x11 * i : -1;
    }
    std::string hex;
    core::PasswordToHexText(hex);
    const char model[] = "Board-7";
    std::memcpy(core::SerialData.ModelTextBytes, model, sizeof model - 1);
    for (int32_t i = 0; i < 20; ++i) {
        core::CodeImagePutByte(core::kStoreCodeImage, static_cast<uint8_t>(0x31 + 5 * i),
                               0xF000 + i);
    }
    for (int32_t i = 0; i < 6; ++i) {
        core::CodeImagePutByte(core::kStoreCodeImage, static_cast<uint8_t>(0xC4 - i), 0x10010 + i);
    }
}

// How a swept project is saved: mode, lock options, unlock password.
struct SweptSave {
    int32_t mode;
    int32_t options;
    const char* unlock;
};

void PrintTo(const SweptSave& save, std::ostream* out) {
    *out << "mode " << save.mode << " options " << save.options << " unlock '" << save.unlock
         << "'";
}

class ProjectSweepTest : public ProjectFileTest, public ::testing::WithParamInterface<SweptSave> {};

// Every byte changed (two ways), every cut and every added line end of a
// saved project: each copy either loads exactly the saved job or is refused
// with nothing changed.
TEST_P(ProjectSweepTest, EveryDamagedCopyLoadsTheSavedJobOrNothing) {
    const SweptSave& saved = GetParam();
    SmallJob();
    Choose(saved.mode, saved.options, saved.unlock);
    const std::string path = Write("sweep.prj");
    const std::string text = testsupport::ReadFile(path);

    // Every read starts from another job and an earlier project's traces,
    // so that a partial load or a missed restore shows.
    core::CoreStateReset();
    core::Settings.SelectedProcessorIndex = 42;
    core::Settings.SN_DataFile = "/before/list.txt";
    core::CodeImagePutByte(core::kStoreCodeImage, 0x5A, 0xF004);
    Project.ProjectModeRead = 2;
    Project.ProjectKey = "earlier key";
    Project.ProjectTokenLine = "earlier token line";
    core::CodeFileNames.CodeFile.Set("/jobs/earlier.txt");
    const StateCopy before = StateCopy::Take();
    ASSERT_EQ(Open(path, kPassword), 1);
    const StateCopy loaded = StateCopy::Take();

    struct Damaged {
        std::string what;
        std::string text;
    };
    std::vector<Damaged> damaged;
    for (size_t at = 0; at < text.size(); ++at) {
        for (const int flip : {0x01, 0x40}) {
            std::string changed = text;
            changed[at] = static_cast<char>(changed[at] ^ flip);
            damaged.push_back({"byte " + std::to_string(at) + " xor " + std::to_string(flip),
                               std::move(changed)});
        }
    }
    for (size_t cut = 0; cut < text.size(); ++cut) {
        damaged.push_back({"cut at " + std::to_string(cut), text.substr(0, cut)});
    }
    // Line ends are outside the CRC: a line broken in two (as a tool that
    // wraps long lines does) must not load either.
    for (size_t at = 1; at < text.size(); ++at) {
        std::string broken = text;
        broken.insert(at, "\r\n");
        damaged.push_back({"line end put in at " + std::to_string(at), std::move(broken)});
    }

    StateCopy after;
    size_t loads = 0;
    size_t wrong = 0;
    std::string shown; // the first faults found
    bool putBack = true;
    for (const Damaged& d : damaged) {
        if (putBack) {
            before.Put();
        }
        // A new file each time: rewriting one in place makes the file
        // system flush it on every close.
        std::filesystem::remove(path);
        testsupport::WriteFile(path, d.text);
        ui::TestSession s;
        AnswerPassword(s, kPassword);
        const int32_t result = ProjectOpen(path, kProjectTargetTag);
        after.RefreshLive();
        const size_t boxes = s.Boxes().Transcript().size();
        std::string fault;
        if (result == 1) {
            ++loads;
            fault = boxes != 0 ? "a box" : projecttest::LoadDifference(loaded, after);
        } else if (result == 0) {
            // A change that makes another mode's prompt appear may end
            // in a cancel without a box.
            fault = boxes > 1 ? "boxes" : projecttest::StateDifference(before, after);
        } else {
            fault = "result " + std::to_string(result);
        }
        if (!fault.empty()) {
            ++wrong;
            if (wrong <= 20) {
                shown += d.what + " (result " + std::to_string(result) + "): " + fault + "\n";
            }
        }
        // A refusal puts everything back itself (as checked above).
        putBack = result != 0 || !fault.empty();
    }
    EXPECT_EQ(wrong, 0u) << shown;
    // The file cut after its checksum value (before the line end) loads, as
    // do blank lines put in between lines.
    EXPECT_GT(loads, 0u);
}

INSTANTIATE_TEST_SUITE_P(EveryMode, ProjectSweepTest,
                         ::testing::Values(SweptSave{kProjectModeNone, 0, ""},
                                           SweptSave{kProjectModePassword, 7, "Unl0ck-Key"},
                                           SweptSave{kProjectModePc, 3, ""}),
                         [](const ::testing::TestParamInfo<SweptSave>& info) {
                             return "Mode" + std::to_string(info.param.mode);
                         });

constexpr const char* kCorrupted = "Corrupted project file.   \r\n\r\nProject terminated.";

// Where line n of a saved project ends (the writer writes no blank lines,
// so its n-th CRLF).
size_t LineEnd(const std::string& text, size_t n) {
    size_t at = text.find("\r\n");
    for (size_t i = 0; i < n && at != std::string::npos; ++i) {
        at = text.find("\r\n", at + 2);
    }
    return at;
}

// The index of the first plain line that begins with prefix.
size_t LineIndex(const std::vector<std::string>& lines, const std::string& prefix) {
    for (size_t i = 0; i < lines.size(); ++i) {
        if (lines[i].rfind(prefix, 0) == 0) {
            return i;
        }
    }
    return lines.size();
}

TEST_F(ProjectFileTest, TextAfterTheChecksumLineIsRefusedUnlessBlank) {
    SmallJob();
    const StateCopy saved = StateCopy::Take();
    Choose(kProjectModeNone, 0, "");
    const std::string file = testsupport::ReadFile(Write("job.prj"));

    // The saved lines scrambled again with more after them: the additions
    // read as good text, as if the writer had written them.
    std::vector<std::string> lines =
        projecttest::UnscrambleProjectText(file, "", kProjectTargetTag, "");
    ASSERT_GE(lines.size(), 2u);
    ASSERT_EQ(lines[lines.size() - 2], "[ProjectCheckSum]");
    lines.resize(lines.size() - 2);
    for (std::string& line : lines) {
        line += "\r\n";
    }
    const auto with = [&](const std::vector<std::string>& after) {
        return projecttest::ScrambleProjectText(lines, "", kProjectTargetTag, "", true, 0,
                                                "%8.8X\r\n", after);
    };
    ASSERT_EQ(with({}), file);

    struct Case {
        const char* name;
        std::string text;
        bool loads;
    } const cases[] = {
        {"a code section with a record",
         with({"[CodeContents]\r\n", ":01F00000AA65\r\n", ":00000001FF\r\n"}), false},
        {"a record", with({":01F00000AA65\r\n"}), false},
        {"a setup line", with({"SelectedProcessorIndex 3\r\n"}), false},
        {"a second checksum", with({"[ProjectCheckSum]\r\n", "00000000\r\n"}), false},
        {"blank lines", file + "\r\n\r\n", true},
        {"an end-of-file mark", file + "\x1A", true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string path = dir_.File("appended.prj");
        testsupport::WriteFile(path, c.text);
        if (c.loads) {
            core::CoreStateReset();
            ui::TestSession s;
            EXPECT_EQ(ProjectOpen(path, kProjectTargetTag), 1);
            EXPECT_TRUE(s.Boxes().Transcript().empty());
            EXPECT_EQ(projecttest::JobDifference(saved, StateCopy::Take()), "");
        } else {
            ExpectRefused(path, kCorrupted);
        }
    }
}

TEST_F(ProjectFileTest, ControlCharactersAndLoneLineEndsAreRefusedBeforeAnyPrompt) {
    SmallJob();
    Choose(kProjectModePassword, 0, "");
    const std::string file = testsupport::ReadFile(Write("job.prj"));
    const std::vector<std::string> lines =
        projecttest::UnscrambleProjectText(file, kPassword, kProjectTargetTag, "");
    const size_t dllLine = LineIndex(lines, "MSP430DLL1");
    const size_t recordLine = LineIndex(lines, ":");
    ASSERT_LT(recordLine, lines.size());
    const auto replaced = [&](size_t at, char c) {
        std::string text = file;
        text.at(at) = c;
        return text;
    };
    const auto inserted = [&](size_t at, const std::string& bytes) {
        std::string text = file;
        text.insert(at, bytes);
        return text;
    };
    struct Case {
        const char* name;
        std::string text;
    } const cases[] = {
        // The record would join the next line, which the checksum does not see.
        {"LF after a record turned into VT", replaced(LineEnd(file, recordLine) + 1, '\x0B')},
        {"CR after a setup text turned into FF", replaced(LineEnd(file, dllLine), '\x0C')},
        {"TAB inside a setup line", inserted(LineEnd(file, dllLine) - 3, "\t")},
        {"NUL inside a record", inserted(LineEnd(file, recordLine) - 2, std::string(1, '\0'))},
        {"end-of-file mark inside the file", inserted(LineEnd(file, recordLine), "\x1A")},
        {"ESC at the start of the file", "\x1B" + file},
        {"lone LF", file.substr(0, LineEnd(file, 3)) + file.substr(LineEnd(file, 3) + 1)},
        {"lone CR", file.substr(0, LineEnd(file, 3) + 1) + file.substr(LineEnd(file, 3) + 2)},
        {"cut between CR and LF", file.substr(0, file.size() - 1)},
        {"CR after the end-of-file mark", file + "\x1A\r"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string path = dir_.File("damaged.prj");
        testsupport::WriteFile(path, c.text);
        // No answer for the password prompt: the box shows that none came.
        ExpectRefused(path, kCorrupted);
    }
}

TEST_F(ProjectFileTest, MalformedLinesGiveTheirOwnMessage) {
    using projecttest::ProjectHead;
    using projecttest::ScrambleProjectText;
    const std::vector<std::string> tail = {"[EndOfConfiguration]\r\n", "[CodeContents]\r\n",
                                           ":021000001122BB\r\n", ":00000001FF\r\n"};
    const auto with = [&](std::vector<std::string> head, std::vector<std::string> rest) {
        head.insert(head.end(), rest.begin(), rest.end());
        return head;
    };
    const auto headWith = [&](size_t index, const std::string& line) {
        std::vector<std::string> head = ProjectHead(1, 0);
        head[index] = line;
        return head;
    };
    const std::string format = "Project File format error.\r\nProject terminated.";
    struct Case {
        const char* name;
        std::string text;
        std::string box; // "" : accepted
    } cases[] = {
        {"valid", ScrambleProjectText(with(ProjectHead(1, 0), tail), "", "DER816", "", true), ""},
        {"no DestinationTarget",
         ScrambleProjectText(with(headWith(0, "Destination DER816 Quillbay\r\n"), tail), "",
                             "DER816", "", true),
         format},
        {"no tag",
         ScrambleProjectText(with(headWith(0, "DestinationTarget\r\n"), tail), "", "DER816", "",
                             true),
         format},
        {"other tag, no program",
         ScrambleProjectText(with(headWith(0, "DestinationTarget XY\r\n"), tail), "", "DER816", "",
                             true),
         format},
        {"mode without value",
         ScrambleProjectText(with(headWith(1, "ProjectMode\r\n"), tail), "", "DER816", "", true),
         "Project File contents error.\r\n\r\nProject terminated."},
        {"mode 4",
         ScrambleProjectText(with(headWith(1, "ProjectMode 4\r\n"), tail), "", "DER816", "", true),
         "Project mode contents error.\r\n\r\nProject terminated."},
        {"company line wrong in mode 1",
         ScrambleProjectText(with(headWith(3, "Morvane Ltd.\r\n"), tail), "", "DER816", "", true),
         "Decryption error.\r\n\r\nProject terminated."},
        {"lock options without value",
         ScrambleProjectText(with(headWith(5, "ProjectLockOptions\r\n"), tail), "", "DER816", "",
                             true),
         "Project Lock mode contents error.\r\n\r\nProject terminated."},
        {"bad HEX record",
         ScrambleProjectText(with(ProjectHead(1, 0),
                                  {"[CodeContents]\r\n", ":021000001122BC\r\n", ":00000001FF\r\n"}),
                             "", "DER816", "", true),
         "HEX Code contents error.\r\n\r\nProject terminated."},
        {"checksum in lower case", // the value is hexadecimal, either case
         ScrambleProjectText(with(ProjectHead(1, 0), tail), "", "DER816", "", true, 0, "%8.8x\r\n"),
         ""},
        {"checksum without its leading zeros", // what a file cut inside the value shows
         ScrambleProjectText(with(ProjectHead(1, 0), tail), "", "DER816", "", true, 0, "%X\r\n"),
         "Project file checksum error.\r\n\r\nProject terminated."},
        {"checksum off by one",
         ScrambleProjectText(with(ProjectHead(1, 0), tail), "", "DER816", "", true, 1),
         "Project file checksum error.\r\n\r\nProject terminated."},
        // Lines the writer never writes, which the code parser would skip.
        {"a line among the records",
         ScrambleProjectText(with(ProjectHead(1, 0), {"[CodeContents]\r\n", ":021000001122BB\r\n",
                                                      "Board 7\r\n", ":00000001FF\r\n"}),
                             "", "DER816", "", true),
         kCorrupted},
        {"a line after the end record",
         ScrambleProjectText(with(ProjectHead(1, 0), {"[CodeContents]\r\n", ":021000001122BB\r\n",
                                                      ":00000001FF\r\n", ":0110000033BC\r\n"}),
                             "", "DER816", "", true),
         kCorrupted},
        {"code again after the end record",
         ScrambleProjectText(with(ProjectHead(1, 0),
                                  {"[CodeContents]\r\n", ":021000001122BB\r\n", ":00000001FF\r\n",
                                   "[CodeContents]\r\n", ":0110000033BC\r\n", ":00000001FF\r\n"}),
                             "", "DER816", "", true),
         kCorrupted},
        {"a section line where the checksum value belongs",
         ScrambleProjectText(with(ProjectHead(1, 0),
                                  {"[CodeContents]\r\n", ":021000001122BB\r\n", ":00000001FF\r\n",
                                   "[ProjectCheckSum]\r\n", "[CodeContents]\r\n",
                                   ":0110000033BC\r\n", ":00000001FF\r\n"}),
                             "", "DER816", "", true),
         kCorrupted},
        {"a setup line broken in two",
         ScrambleProjectText(
             with(ProjectHead(1, 0),
                  {"SelectedProcessorIndex\t\t\r\n", " 11 \r\n", "[EndOfConfiguration]\r\n",
                   "[CodeContents]\r\n", ":021000001122BB\r\n", ":00000001FF\r\n"}),
             "", "DER816", "", true),
         kCorrupted},
        {"a setup line that only begins with a key name",
         ScrambleProjectText(
             with(ProjectHead(1, 0),
                  {"SelectedProcessorIndexes\t\t 11 \r\n", "[EndOfConfiguration]\r\n",
                   "[CodeContents]\r\n", ":021000001122BB\r\n", ":00000001FF\r\n"}),
             "", "DER816", "", true),
         kCorrupted},
        {"checksum value followed by more text",
         ScrambleProjectText(with(ProjectHead(1, 0), tail), "", "DER816", "", true, 0,
                             "%8.8X 0\r\n"),
         kCorrupted},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string path = dir_.File("crafted.prj");
        testsupport::WriteFile(path, c.text);
        if (c.box.empty()) {
            ui::TestSession s;
            EXPECT_EQ(ProjectOpen(path, kProjectTargetTag), 1);
            EXPECT_TRUE(s.Boxes().Transcript().empty());
            EXPECT_EQ(core::Images.CodeImage.data[0x1000 - core::kImageStart], 0x11);
            EXPECT_EQ(core::Images.CodeImage.data[0x1001 - core::kImageStart], 0x22);
        } else {
            ExpectRefused(path, c.box);
        }
    }
}

TEST_F(ProjectFileTest, OpeningReplacesTheCodeInsteadOfMergingIt) {
    projecttest::FillJob();
    const std::string path = Write("job.prj");
    const StateCopy saved = StateCopy::Take();
    core::CoreStateReset();
    core::CodeImagePutByte(core::kStoreCodeImage, 0x5A, 0x2000); // another file's code
    EXPECT_EQ(Open(path), 1);
    EXPECT_EQ(projecttest::JobDifference(saved, StateCopy::Take()), "");
    EXPECT_TRUE(core::CodeLoad.CodeLoadWarnings.dataOverwritten == 0);
}

TEST_F(ProjectFileTest, ALongSnDataFileLineIsCutTo400AndTheLinesAfterItReadBack) {
    projecttest::FillJob();
    std::string list = "/data/";
    while (list.size() < 450) {
        list.push_back(static_cast<char>('a' + list.size() % 26));
    }
    core::Settings.SN_DataFile = list;
    const StateCopy saved = StateCopy::Take();
    const std::string path = Write("long.prj");

    const std::vector<std::string> lines =
        projecttest::UnscrambleProjectText(testsupport::ReadFile(path), "", kProjectTargetTag, "");
    std::string dataLine;
    for (const std::string& line : lines) {
        if (line.rfind("SN_DataFile", 0) == 0) {
            dataLine = line;
        }
    }
    ASSERT_EQ(dataLine.size(), 400u);
    EXPECT_EQ(core::Settings.SN_DataFile, list); // the setting itself is not cut

    core::CoreStateReset();
    ASSERT_EQ(Open(path), 1);
    const std::string kept = dataLine.substr(dataLine.find('/'));
    EXPECT_EQ(kept, list.substr(0, kept.size()));
    EXPECT_EQ(core::Settings.SN_DataFile, kept);
    core::Settings.SN_DataFile = list;
    EXPECT_EQ(projecttest::JobDifference(saved, StateCopy::Take()), "");
}

bool FailCommit(const std::string&, const std::string&) {
    return false;
}

TEST_F(ProjectFileTest, AFailedCommitKeepsTheOldFileAndTheNextSetupIsPlain) {
    projecttest::FillJob();
    const std::string path = Write("job.prj");
    const std::string old = testsupport::ReadFile(path);
    core::Settings.SelectedProcessorIndex = 7;

    platform::SetAtomicFileCommitHook(&FailCommit);
    {
        ui::TestSession s;
        EXPECT_EQ(ProjectWrite(path, kProjectProgramName), 0);
        ASSERT_EQ(s.Boxes().Transcript().size(), 1u);
        EXPECT_EQ(s.Boxes().Transcript()[0].text, "Open File or Write File Error\r\n\r\n" + path);
        EXPECT_EQ(s.Boxes().Transcript()[0].caption, "Error");
        EXPECT_EQ(s.Boxes().Transcript()[0].flags, platform::MB_OK | platform::MB_ICONERROR);
    }
    platform::SetAtomicFileCommitHook(nullptr);
    EXPECT_EQ(testsupport::ReadFile(path), old);
    EXPECT_EQ(Project.ProjectScrambleOn, 0);
    EXPECT_EQ(ProjectScrambler.CrcMode, kProjectCrcOutput);

    const std::string setup = dir_.File("after.cfg");
    ASSERT_EQ(core::SetupFileWrite(0, setup), 1);
    const std::string text = testsupport::ReadFile(setup);
    EXPECT_EQ(text.rfind(core::kSetupFileHeader, 0), 0u);
    EXPECT_NE(text.find("SelectedProcessorIndex\t\t  7 \r\n"), std::string::npos);
}

TEST_F(ProjectFileTest, SaveAsAsksForOptionsThenAPrjPathAndCancelsCleanly) {
    projecttest::FillJob();
    {
        SCOPED_TRACE("options cancelled: no path asked, nothing written");
        ui::TestSession s;
        s.OnDialog(IDD_SAVE_PRJ_OPTION, [](ui::Driver& d) { d.Click(ui::IDCANCEL); });
        s.AnswerFile(dir_.File("never"));
        EXPECT_EQ(ProjectSaveAs(kProjectTargetTag, kProjectProgramName), 0);
        EXPECT_EQ(s.PendingFileAnswers(), 1u);
        EXPECT_EQ(Project.ProjectDialogResult, 0);
    }
    {
        SCOPED_TRACE("path cancelled");
        ui::TestSession s;
        s.OnDialog(IDD_SAVE_PRJ_OPTION, [](ui::Driver& d) { d.Click(ui::IDOK); });
        s.CancelFile();
        EXPECT_EQ(ProjectSaveAs(kProjectTargetTag, kProjectProgramName), 0);
    }
    {
        SCOPED_TRACE("a name without extension becomes .prj");
        ui::TestSession s;
        s.OnDialog(IDD_SAVE_PRJ_OPTION, [](ui::Driver& d) { d.Click(ui::IDOK); });
        s.AnswerFile(dir_.File("job"));
        EXPECT_EQ(ProjectSaveAs(kProjectTargetTag, kProjectProgramName), 1);
        EXPECT_TRUE(ui::TranscriptHas("file save \"Project format(*.prj)|*.prj||\""));
        EXPECT_FALSE(testsupport::ReadFile(dir_.File("job.prj")).empty());
    }
    {
        SCOPED_TRACE("an existing file is replaced only after Yes");
        const std::string before = testsupport::ReadFile(dir_.File("job.prj"));
        core::Settings.SelectedProcessorIndex = 3;
        ui::TestSession s;
        s.OnDialog(IDD_SAVE_PRJ_OPTION, [](ui::Driver& d) { d.Click(ui::IDOK); });
        s.AnswerFile(dir_.File("job.prj"));
        s.Boxes().Answer(ui::IDNO);
        EXPECT_EQ(ProjectSaveAs(kProjectTargetTag, kProjectProgramName), 0);
        EXPECT_TRUE(ui::TranscriptHas("box [Confirm Save As]"));
        EXPECT_EQ(testsupport::ReadFile(dir_.File("job.prj")), before);
    }
    {
        SCOPED_TRACE("open through the Open dialog");
        core::CoreStateReset();
        ui::TestSession s;
        s.AnswerFile(dir_.File("job.prj"));
        EXPECT_EQ(ProjectOpen("", kProjectTargetTag), 1);
        EXPECT_TRUE(ui::TranscriptHas("file open \"Project format(*.prj)|*.prj||\""));
        EXPECT_EQ(core::Settings.SelectedProcessorIndex, 1);
    }
    {
        SCOPED_TRACE("Open dialog cancelled");
        ui::TestSession s;
        s.CancelFile();
        EXPECT_EQ(ProjectOpen("", kProjectTargetTag), 0);
    }
}

} // namespace
