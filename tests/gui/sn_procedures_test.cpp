// The serialization engine behind the main window's AUTO PROGRAM and WRITE
// SN: a few hundred runs on the simulated target with random faults, and the
// history's status letter of a scanned and a typed SN.

#include "tests/gui/actions_fixture.h"

#include "gui/sn_format.h"
#include "gui/sn_history.h"
#include "gui/sn_history_line.h"
#include "gui/sn_list.h"
#include "platform/append_file.h"

#include <cctype>
#include <csignal>
#include <filesystem>
#include <map>
#include <random>
#include <set>
#include <sstream>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace guitest {
namespace {

constexpr int32_t kSnAt = 0xF000;

enum Fault { kNone, kWriteFails, kVerifyFails, kAppendFails, kRescanUsed, kAbandon, kFaultCount };

struct Operator {
    bool cancelEditor = false;
    int customCounter = 0;
};
Operator* g_operator = nullptr;

// The operator in the SN editor: cancels on a re-scanned label, else takes
// the coming SN, or types a fresh one for a custom SN.
int32_t FakeEditor(const std::string&) {
    using gui::SerialNumber;
    if (g_operator->cancelEditor) {
        SerialNumber.SnEditCancelled = 1;
        return 15;
    }
    if (core::Settings.SNDispFormatIndex != gui::kSnTypeCustom) {
        SerialNumber.SnEditResultText = gui::SerialNumberFormat();
        EXPECT_EQ(gui::SnHistoryContains(SerialNumber.SnEditResultText), 0)
            << "the coming SN is used: " << SerialNumber.SnEditResultText;
        SerialNumber.SnStatus =
            (SerialNumber.SnStatus & ~gui::kSnStatusOverwritten) | gui::kSnStatusNew;
    } else {
        char text[16];
        std::snprintf(text, sizeof text, "%08x", 0x20000 + g_operator->customCounter++);
        SerialNumber.SnEditResultText = text;
        SerialNumber.SnStatus =
            (SerialNumber.SnStatus & ~gui::kSnStatusOverwritten) | gui::kSnStatusManual;
    }
    SerialNumber.SnEditCancelled = 0;
    return 1;
}

int32_t FailAppend(const std::string&, std::string_view) {
    return 2;
}

std::string Lower(std::string s) {
    for (char& c : s) {
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
    return s;
}

class SnProceduresTest : public ActionsTest {
protected:
    // Serialization on, the SN at 0xF000 of an F149, no model text.
    void UseSn(int type, int mode, int size, int start) {
        auto& s = core::Settings;
        s.SerializationEnable = 1;
        s.ModelTextEnable = 0;
        s.SNFilePathAndName = dir_.File("history.sn");
        s.SNDispFormatIndex = type;
        s.SNMemFormatIndex = mode;
        s.Custom_SN_size = size;
        s.Starting_SN = start;
        s.SN_increment = 1;
        s.SNStartAddress = kSnAt;
        s.SNExistWarnEn = 1;
        gui::SerialNumber.ManualSnFlag = 0;
        gui::SerialNumberPrepareNext();
        gui::MainDialogRefresh();
        gui::SerialNumberDisplayUpdate(1);
        gui::SerialNumber.ManualSnFlag = 0;
    }
    // One procedure `id` (AUTO PROGRAM or WRITE SN) on the F149 with a small
    // image and an SN of `type` and `mode`: its report, the SN lamp and the
    // first `snBytes` at the SN's place.
    struct SnRun {
        std::string report;
        int snLamp = -1;
        std::vector<uint8_t> sn;
    };
    SnRun RunWithSn(int id, int type, int mode, size_t snBytes) {
        SnRun run;
        Run([&](ui::Driver& d) {
            Device("149");
            ASSERT_EQ(LoadTiTxt(0x8000, 0x40), 1);
            UseSn(type, mode, 8, 1);
            gui::Actions.FlashWrittenFlags = 0;
            d.Click(id);
            run.report = d.Target().GetItemText(1026);
            run.snLamp = Lamp(gui::kRowSerialNumber);
            run.sn = sim::Sim().PeekRange(kSnAt, snBytes);
        });
        return run;
    }
    // The history file's records: type digit -> SNs (lower case).
    std::map<int, std::multiset<std::string>> Recorded() {
        std::istringstream file(testsupport::ReadFile(dir_.File("history.sn")));
        std::map<int, std::multiset<std::string>> recorded;
        std::string line;
        while (std::getline(file, line)) {
            if (gui::SnLineIsTorn(line.substr(0, line.find('\r')))) {
                continue; // marked as torn: no board's record
            }
            const auto tokens = gui::SnLineTokens(line);
            if (tokens.size() < 2) {
                ADD_FAILURE() << "torn record: " << line;
                continue;
            }
            recorded[tokens[0][1] - '0'].insert(Lower(std::string(tokens[1])));
        }
        return recorded;
    }
};

// AUTO PROGRAM and WRITE SN in turn, each on a fresh board, types 0, 3
// (BCD, stopping after 9999), 6 (custom hex) and 7 (list), with random SN
// write, verify and history faults, re-scanned used labels and abandoned
// runs: no SN on two passed boards or twice in the history, every pass
// recorded, nothing written where the run stopped before the write.
TEST_F(SnProceduresTest, HundredsOfRunsNeverGiveTwoBoardsOneSn) {
    Config("");
    Operator op;
    g_operator = &op;
    gui::SerializationHooks hooks = gui::SerializationEngineHooks();
    hooks.EditSn = &FakeEditor;
    gui::SetSerializationHooks(&hooks);

    const std::string list = dir_.File("list.txt");
    {
        std::string text = "#SN_LIST\r\n#SN_SIZE 6\r\n";
        for (int i = 0; i < 200; ++i) {
            char e[16];
            std::snprintf(e, sizeof e, "Lx%04d\r\n", i);
            text += e;
        }
        testsupport::WriteFile(list, text);
    }
    const std::string code = CodeFile("a.txt", TiTxt(0x8000, 0x40));
    const struct {
        int type, mode, size, start;
    } blocks[] = {{0, 0, 8, 1}, {3, 1, 8, 9960}, {6, 4, 8, 1}, {7, 2, 6, 1}};
    constexpr int kRunsPerType = 80;

    std::mt19937 random{1210};
    std::map<int, std::set<std::string>> passed; // type -> SNs on passed boards
    std::map<std::string, int> outcomes;
    int checkedBlank = 0;
    bool corruptOnce = false;
    CallWatch.onCall = [&](const char*) {
        // Once the SN is on the board, one bit of it goes wrong before the check.
        if (corruptOnce && sim::Sim().Peek(kSnAt) != 0xFF) {
            sim::Sim().Poke(kSnAt, sim::Sim().Peek(kSnAt) == 0 ? 1 : 0);
            corruptOnce = false;
        }
    };
    Run([&](ui::Driver& d) {
        Device("149");
        ASSERT_EQ(gui::CodeFileReadAndReport(0, code), 1);
        for (const auto& b : blocks) {
            UseSn(b.type, b.mode, b.size, b.start);
            core::Settings.SN_DataFile = list;
            gui::SnListLoad(list);
            gui::SerialNumberPrepareNext();
            gui::SerialNumberDisplayUpdate(1);
            gui::SerialNumber.ManualSnFlag = 0;
            for (int i = 0; i < kRunsPerType; ++i) {
                const bool autoProgram = i % 2 == 0;
                Device("149"); // a fresh, blank board
                gui::Actions.FlashWrittenFlags = 0;
                sim::Sim().ClearFaults();
                const int draw = static_cast<int>(random() % 12);
                Fault fault = draw < kFaultCount ? static_cast<Fault>(draw) : kNone;
                op.cancelEditor = false;
                if (fault == kRescanUsed && !passed[b.type].empty()) {
                    // A label scanned again: some SN already on a passed board.
                    auto it = passed[b.type].begin();
                    std::advance(it, random() % passed[b.type].size());
                    d.Type(1051, *it);
                    op.cancelEditor = true;
                } else if (fault == kRescanUsed) {
                    fault = kNone;
                } else if (b.type == 6 && random() % 2 == 0) {
                    char typed[16];
                    std::snprintf(typed, sizeof typed, "%08X", 0x10000 + op.customCounter++);
                    d.Type(1051, typed); // the operator types a new one
                }
                if (fault == kWriteFails) {
                    sim::Sim().FailWriteAt(kSnAt, 1);
                }
                corruptOnce = fault == kVerifyFails;
                if (fault == kAppendFails) {
                    platform::SetFileAppendHook(&FailAppend);
                    session().Boxes().Answer(platform::IDOK); // the history write error
                }
                if (fault == kAbandon) {
                    // Stopped after the SN step: AUTO PROGRAM's erase, WRITE SN's write.
                    sim::Sim().FailOperation(autoProgram ? "MSP430_Erase" : "MSP430_Memory", 5, 1);
                }
                // Past BCD type 3's capacity nothing may be written.
                const bool overCapacity = b.type == 3 && gui::SerialNumber.NextSerialNumber > 9999;
                d.Click(autoProgram ? 1001 : 1009);
                platform::SetFileAppendHook(nullptr);
                corruptOnce = false;
                const std::string report = d.Target().GetItemText(1026);
                const bool pass = Done(report);
                ++outcomes[std::string(autoProgram ? "auto " : "write ") +
                           (pass ? "pass" : "fail")];
                const auto onBoard = sim::Sim().PeekRange(kSnAt, 16);
                if (pass) {
                    EXPECT_EQ(fault, kNone)
                        << "run " << i << " type " << b.type << " fault " << fault << " passed\n"
                        << report;
                    std::string decoded;
                    ASSERT_EQ(gui::SnDecodeBytes(onBoard.data(), decoded), 1);
                    EXPECT_TRUE(passed[b.type].insert(Lower(decoded)).second)
                        << "SN on two passed boards: " << decoded;
                } else if (fault == kRescanUsed || (fault == kAbandon && autoProgram) ||
                           overCapacity) {
                    EXPECT_EQ(onBoard, std::vector<uint8_t>(16, 0xFF))
                        << "run " << i << " type " << b.type << " fault " << fault;
                    ++checkedBlank;
                }
                if (fault == kAbandon) {
                    // The program restarted: its state anew, the list read again.
                    gui::SerialNumber.Reset();
                    core::Settings.SNFilePathAndName = dir_.File("history.sn");
                    gui::SerialNumberPrepareNext();
                    gui::SnListLoad(list);
                    gui::SerialNumberComputeNext();
                    gui::SerialNumberPackNext();
                    gui::SerialNumberDisplayUpdate(1);
                }
                gui::SerialNumber.ManualSnFlag = 0;
            }
        }
    });
    gui::SetSerializationHooks(nullptr);
    g_operator = nullptr;
    EXPECT_GT(outcomes["auto pass"], 60) << ::testing::PrintToString(outcomes);
    EXPECT_GT(outcomes["write pass"], 60) << ::testing::PrintToString(outcomes);
    EXPECT_GT(checkedBlank, 20);
    EXPECT_EQ(*passed[3].rbegin(), "9999");

    // The history: each passed SN once, nothing else.
    auto recorded = Recorded();
    for (const auto& [type, sns] : passed) {
        for (const std::string& sn : sns) {
            EXPECT_EQ(recorded[type].count(sn), 1u) << "type " << type << " SN " << sn;
        }
        EXPECT_EQ(recorded[type].size(), sns.size()) << "type " << type;
    }
}

enum EditorMove { kOkAsOffered, kPickNew, kPickTarget, kEditFresh, kEditUsed, kCancel, kMoveCount };

// Every road a number takes to a board, on the real editor: lists holding
// one SN several times in every mix of case (one of them already used), a
// custom SN whose coming number is the history's last, used numbers typed
// into the field, boards that already carry a passed SN, the editor
// answered as offered, with a used or a fresh number, or cancelled, and now
// and then a history append or the code's verify that fails after the SN
// was written. No two boards carry
// one SN, every passed SN is in the history once, and a failed run's board
// carries no number the engine would give out again.
TEST_F(SnProceduresTest, NoRoadWritesAUsedNumber) {
    Config("");
    const std::string history = dir_.File("history.sn");
    const std::string preUsed =
        "F7 \tab000003 \t.\r\nF6 \tCAFE0001 \t.\r\nF6 \tCAFE0002 \t.\r\nF3 \t00005 \t.\r\n";
    testsupport::WriteFile(history, preUsed);
    const std::string list = dir_.File("list.txt");
    {
        std::string text =
            "#SN_LIST\r\n#SN_SIZE 8\r\nAB000001\r\nAB000001\r\nab000001\r\nAb000001\r\n"
            "AB000005\r\nAB000005\r\naB000005\r\nAB000003\r\n";
        for (int i = 0; i < 80; ++i) {
            char e[16];
            std::snprintf(e, sizeof e, "cd%06d\r\n", i);
            text += e;
        }
        testsupport::WriteFile(list, text);
    }
    const std::string code = CodeFile("a.txt", TiTxt(0x8000, 0x40));
    const struct { int type, mode; } blocks[] = {{7, 2}, {6, 2}, {3, 0}};
    constexpr int kRunsPerType = 70;

    std::mt19937 random{29};
    // Per SN type (the history keeps each type's numbers apart), lower case.
    std::map<int, std::set<std::string>> onBoards{
        {7, {"ab000003"}}, {6, {"cafe0001", "cafe0002"}}, {3, {"00005"}}};
    std::map<int, std::set<std::string>> passed;
    std::map<std::string, int> outcomes;
    int fresh = 0;
    EditorMove move = kOkAsOffered;
    std::string usedForEditor;
    int refusedInEditor = 0;
    auto flipCase = [&](std::string sn) {
        for (char& c : sn) {
            if (random() % 2 == 0) {
                c = static_cast<char>(std::isupper(static_cast<unsigned char>(c))
                                          ? std::tolower(c)
                                          : std::toupper(c));
            }
        }
        return sn;
    };
    auto freshSn = [&](int type) {
        char text[16];
        if (type == 3) {
            std::snprintf(text, sizeof text, "%05d", 30000 + fresh++);
        } else {
            std::snprintf(text, sizeof text, "F00D%04d", fresh++);
        }
        return std::string(text);
    };
    int type = 0;
    auto anyUsed = [&] {
        const std::set<std::string>& used = onBoards[type];
        auto it = used.begin();
        std::advance(it, random() % used.size());
        return *it;
    };
    const auto editor = [&](ui::Driver& e) {
        auto ok = [&] {
            e.Click(1246);
            if (gui::SerialNumber.SnEditCancelled == 1) {
                ++refusedInEditor;
            }
        };
        switch (move) {
        case kOkAsOffered:
            ok();
            break;
        case kPickNew:
            e.Click(1255);
            ok();
            break;
        case kPickTarget:
            e.Click(1254);
            ok();
            break;
        case kEditFresh:
            e.Click(1256);
            e.Type(1248, freshSn(type));
            ok();
            break;
        case kEditUsed:
            e.Click(1256);
            e.Type(1248, usedForEditor);
            ok();
            EXPECT_EQ(gui::SerialNumber.SnEditCancelled, 1)
                << "a used SN was taken: " << usedForEditor;
            if (random() % 2 == 0) {
                e.Type(1248, freshSn(type));
                ok();
            }
            break;
        default:
            e.Click(1257);
            break;
        }
    };
    bool failVerify = false;
    CallWatch.onCall = [&](const char*) {
        if (failVerify && sim::Sim().Peek(kSnAt) != 0xFF) {
            sim::Sim().Poke(0x8000, static_cast<uint8_t>(~sim::Sim().Peek(0x8000)));
            failVerify = false;
        }
    };
    Run([&](ui::Driver& d) {
        Device("149");
        ASSERT_EQ(gui::CodeFileReadAndReport(0, code), 1);
        for (const auto& b : blocks) {
            type = b.type;
            UseSn(b.type, b.mode, 8, 1);
            core::Settings.SN_DataFile = list;
            gui::SnListLoad(list);
            gui::SerialNumberPrepareNext();
            gui::SerialNumberDisplayUpdate(1);
            gui::SerialNumber.ManualSnFlag = 0;
            bool lastPassed = false;
            for (int i = 0; i < kRunsPerType; ++i) {
                // Only AUTO PROGRAM, which erases, takes a board that carries an SN.
                const bool reuse = lastPassed && random() % 4 == 0;
                const bool autoProgram = reuse || i % 2 == 0;
                if (!reuse) {
                    Device("149");
                }
                gui::Actions.FlashWrittenFlags = 0;
                sim::Sim().ClearFaults();
                move = static_cast<EditorMove>(random() % kMoveCount);
                usedForEditor = b.type == 3 ? anyUsed() : flipCase(anyUsed());
                const int field = static_cast<int>(random() % 6);
                if (field == 0) {
                    d.Type(1051, b.type == 3 ? anyUsed() : flipCase(anyUsed()));
                } else if (field == 1) {
                    d.Type(1051, freshSn(b.type));
                }
                const bool failAppend = random() % 10 == 0;
                platform::SetFileAppendHook(failAppend ? &FailAppend : nullptr);
                // Or the code's verify fails once the SN is on the board.
                failVerify = autoProgram && !reuse && !failAppend && random() % 8 == 0;
                if (session().PendingScripts() == 0) {
                    session().OnDialog(225, editor);
                }
                const bool verifyFault = failVerify;
                d.Click(autoProgram ? 1001 : 1009);
                platform::SetFileAppendHook(nullptr);
                failVerify = false;
                const std::string report = d.Target().GetItemText(1026);
                const bool pass = Done(report);
                lastPassed = pass;
                if (verifyFault && !pass) {
                    ++outcomes["verify failed"];
                }
                ++outcomes[pass ? "pass" : "fail"];
                std::string decoded;
                const auto onBoard = sim::Sim().PeekRange(kSnAt, 16); // as much as a decode reads
                const bool carries = gui::SnDecodeBytes(onBoard.data(), decoded) == 1;
                if (pass) {
                    ASSERT_TRUE(carries) << report;
                    EXPECT_TRUE(onBoards[b.type].insert(Lower(decoded)).second)
                        << "type " << b.type << " run " << i << ": SN " << decoded
                        << " on two boards\n"
                        << report;
                    passed[b.type].insert(Lower(decoded));
                } else if (carries && !reuse) {
                    // Written, then not recorded: it must stay used.
                    onBoards[b.type].insert(Lower(decoded));
                    EXPECT_EQ(gui::SnHistoryContains(decoded), 1)
                        << "type " << b.type << " run " << i << ": failed board carries " << decoded
                        << " that is not kept as used\n"
                        << report;
                    if (failAppend) {
                        EXPECT_NE(report.find(" The device carries the unrecorded SN " + decoded),
                                  std::string::npos)
                            << report;
                        ++outcomes["unrecorded"];
                    }
                }
                gui::SerialNumber.ManualSnFlag = 0;
            }
        }
    });
    platform::SetFileAppendHook(nullptr);
    EXPECT_GT(outcomes["pass"], 60) << ::testing::PrintToString(outcomes);
    EXPECT_GT(outcomes["fail"], 30) << ::testing::PrintToString(outcomes);
    EXPECT_GT(outcomes["unrecorded"], 3) << ::testing::PrintToString(outcomes);
    EXPECT_GT(outcomes["verify failed"], 3) << ::testing::PrintToString(outcomes);
    EXPECT_GT(refusedInEditor, 20);
    // The list's copies: one of AB000001 and AB000005 at most, AB000003 never.
    EXPECT_EQ(passed[7].count("ab000003"), 0u);
    EXPECT_GE(passed[7].size(), 20u);

    // The history: what was there, and each passed SN once.
    auto recorded = Recorded();
    const std::map<int, size_t> before{{7, 1}, {6, 2}, {3, 1}};
    for (const auto& [t, sns] : passed) {
        for (const std::string& sn : sns) {
            EXPECT_EQ(recorded[t].count(sn), 1u) << "type " << t << " SN " << sn;
        }
        EXPECT_EQ(recorded[t].size(), sns.size() + before.at(t)) << "type " << t;
    }
}

// A failed history append fails the run it belongs to, in both procedures:
// no D O N E, the SN lamp failed, the next board gets the next number.
TEST_F(SnProceduresTest, FailedAppendFailsTheRun) {
    for (int id : {1001, 1009}) {
        ResetBetweenCases();
        Config("");
        // A fresh history: its claims go with it.
        std::remove(dir_.File("history.sn").c_str());
        std::remove(dir_.File("history.sn.claims").c_str());
        std::string report;
        std::vector<uint8_t> second;
        Run([&](ui::Driver& d) {
            Device("149");
            ASSERT_EQ(LoadTiTxt(0x8000, 0x40), 1);
            UseSn(0, 1, 8, 1);
            platform::SetFileAppendHook(&FailAppend);
            session().Boxes().Answer(platform::IDOK);
            d.Click(id);
            platform::SetFileAppendHook(nullptr);
            report = d.Target().GetItemText(1026);
            EXPECT_EQ(Lamp(gui::kRowSerialNumber), gui::kLampFailed) << id;
            Device("149");
            gui::Actions.FlashWrittenFlags = 0;
            d.Click(id);
            second = sim::Sim().PeekRange(kSnAt, 4);
            EXPECT_TRUE(Done(d.Target().GetItemText(1026))) << id;
        });
        EXPECT_FALSE(Done(report)) << id << "\n" << report;
        EXPECT_NE(report.find("Saving SN in history file"), std::string::npos) << report;
        EXPECT_NE(report.find(" The device carries the unrecorded SN 20260001\r\n"),
                  std::string::npos)
            << report;
        EXPECT_TRUE(ui::TranscriptHas("SN history file write error")) << id;
        // Type 0 BCD: year 2026 (or the clock's), then 0002, not 0001 again.
        EXPECT_EQ(second[2], 0x00) << id;
        EXPECT_EQ(second[3], 0x02) << id;
        const auto recorded = Recorded();
        ASSERT_EQ(recorded.count(0), 1u) << id;
        EXPECT_EQ(recorded.at(0).size(), 1u) << id;
        EXPECT_EQ(Lower(*recorded.at(0).begin()).substr(4), "0002") << id;
    }
}

// A history file that is there but cannot be read hides the numbers
// already used: no SN is written and the run fails, in both procedures.
TEST_F(SnProceduresTest, AnUnreadableHistoryFailsTheRunBeforeAnySnIsWritten) {
    for (int id : {1001, 1009}) {
        ResetBetweenCases();
        Config("");
        const std::string history = dir_.File("history.sn");
        std::remove(history.c_str());
        std::filesystem::create_directory(history); // opens, but every read fails
        const auto [report, snLamp, sn] = RunWithSn(id, 0, 1, 4);
        std::filesystem::remove(history);
        EXPECT_EQ(snLamp, gui::kLampFailed) << id;
        EXPECT_FALSE(Done(report)) << id << "\n" << report;
        EXPECT_NE(report.find("Reading SN history file ..."), std::string::npos) << id << "\n"
                                                                                 << report;
        EXPECT_NE(report.find("\t failed"), std::string::npos) << id << "\n" << report;
        EXPECT_EQ(sn, std::vector<uint8_t>(4, 0xFF)) << id;
    }
}

// A history on a full disk (a file-size limit just short of the record)
// or read-only: the run learns it before the SN goes anywhere, fails at the
// SN step with the history's line, and the board carries nothing. Each run
// is a child, so that the limit and the lost rights end with it.
TEST_F(SnProceduresTest, AHistoryThatCannotTakeTheRecordStopsTheRunBeforeTheSnIsWritten) {
    const struct {
        const char* name;
        bool readOnly;
    } cases[] = {{"full", false}, {"read-only", true}};
    for (const auto& c : cases) {
        for (int id : {1001, 1009}) {
            ResetBetweenCases();
            Config("");
            const std::string history = dir_.File("history.sn");
            const std::string before =
                "F0 \t202600041 \t. \t( Thu, Dec 10,2026, 11:14 ) \ta.txt\r\n";
            testsupport::WriteFile(history, before);
            int status = -1;
            Run([&](ui::Driver& d) {
                Device("149");
                ASSERT_EQ(LoadTiTxt(0x8000, 0x40), 1);
                UseSn(0, 0, 8, 1);
                gui::Actions.FlashWrittenFlags = 0;
                const pid_t child = ::fork();
                ASSERT_GE(child, 0);
                if (child == 0) {
                    std::signal(SIGXFSZ, SIG_IGN);
                    if (c.readOnly) {
                        std::filesystem::permissions(dir_.path(), std::filesystem::perms(0755));
                        std::filesystem::permissions(history, std::filesystem::perms(0444));
                        if (::geteuid() == 0 && (::setgid(65534) != 0 || ::setuid(65534) != 0)) {
                            _exit(64);
                        }
                    } else {
                        const rlimit limit{before.size() + 20, before.size() + 20};
                        if (::setrlimit(RLIMIT_FSIZE, &limit) != 0) {
                            _exit(64);
                        }
                    }
                    d.Click(id);
                    const std::string report = d.Target().GetItemText(1026);
                    int failures = 0;
                    failures |= Done(report) ? 1 : 0;
                    failures |= report.find("Saving SN in history file .........\t failed\r\n") ==
                                        std::string::npos
                                    ? 2
                                    : 0;
                    failures |= report.find("Writing S") != std::string::npos ? 4 : 0;
                    failures |=
                        sim::Sim().PeekRange(kSnAt, 4) != std::vector<uint8_t>(4, 0xFF) ? 8 : 0;
                    failures |= Lamp(gui::kRowSerialNumber) != gui::kLampFailed ? 16 : 0;
                    failures |= sim::Sim().Log().Count("MSP430_Erase") != 0 ? 32 : 0;
                    if (failures != 0) {
                        std::fprintf(stderr, "%s\n", report.c_str());
                    }
                    _exit(failures);
                }
                ASSERT_EQ(::waitpid(child, &status, 0), child);
            });
            std::filesystem::permissions(history, std::filesystem::perms(0644));
            ASSERT_TRUE(WIFEXITED(status)) << c.name << " " << id;
            // 1 passed, 2 no history line, 4 an SN written, 8 the board
            // carries bytes, 16 the lamp, 32 the board erased.
            EXPECT_EQ(WEXITSTATUS(status), 0) << c.name << " " << id;
            EXPECT_EQ(testsupport::ReadFile(history), before) << c.name << " " << id;
        }
    }
}

// A record whose number its type cannot hold: no number is given after it,
// and the run says which file and line, before anything is written.
TEST_F(SnProceduresTest, ARecordBeyondItsTypeNamesTheFileAndLine) {
    for (int id : {1001, 1009}) {
        ResetBetweenCases();
        Config("");
        const std::string history = dir_.File("history.sn");
        testsupport::WriteFile(history, "\xEF\xBB\xBF"
                                        "F3 \t00007 \t.\r\n   F3 99999999999999999999\r\n");
        const auto [report, snLamp, sn] = RunWithSn(id, 3, 0, 2);
        EXPECT_FALSE(Done(report)) << report;
        EXPECT_NE(report.find("Reading SN history file .........\t failed\r\n SN history file " +
                              history +
                              ", line 2:\r\n the SN is beyond the range of its type.\r\n"),
                  std::string::npos)
            << id << "\n"
            << report;
        EXPECT_EQ(sn, std::vector<uint8_t>(2, 0xFF)) << id;
    }
}

// A label scanned a second time: the editor says the number is used, offers
// the coming one instead, refuses the scanned one, and Cancel leaves the
// board blank.
TEST_F(SnProceduresTest, ARescannedLabelIsRefusedInTheEditor) {
    WriteConfig(
        "ReportHistory 0\r\nVccIndex 4\r\nSerializationEnable 1\r\nBarCodeReaderEnable 1\r\n"
        "BarCodeAutoStartEnable 1\r\nPostAmbleIndex 0\r\n");
    std::string reason, report;
    int offered = 0;
    int32_t cancelledAfterOk = 0;
    Run([&](ui::Driver& d) {
        Device("149");
        ASSERT_EQ(LoadTiTxt(0x8000, 0x40), 1);
        core::Settings.BarCodeReaderEnable = 1;
        core::Settings.BarCodeAutoStartEnable = 1;
        core::Settings.PostAmbleIndex = 0;
        UseSn(0, 0, 8, 1);
        auto scan = [&] {
            d.Focus(1050);
            for (char c : std::string("202600040")) {
                d.Key(static_cast<uint32_t>(c), static_cast<uint32_t>(c));
                d.Advance(20);
            }
            d.Key(ui::VK_RETURN, '\r');
        };
        scan();
        ASSERT_TRUE(Done(d.Target().GetItemText(1026))) << d.Target().GetItemText(1026);
        Device("149");
        gui::Actions.FlashWrittenFlags = 0;
        session().OnDialog(225, [&](ui::Driver& e) {
            reason = e.Target().GetItemText(1260);
            for (int id : {1254, 1255, 1256}) {
                if (e.Target().IsDlgButtonChecked(id) == 1) {
                    offered = id;
                }
            }
            e.Click(1256);
            e.Click(1246);
            cancelledAfterOk = gui::SerialNumber.SnEditCancelled;
            e.Click(1257);
        });
        scan();
        report = d.Target().GetItemText(1026);
        EXPECT_EQ(sim::Sim().PeekRange(kSnAt, 4), std::vector<uint8_t>(4, 0xFF));
    });
    EXPECT_EQ(reason, "SN 202600040 is already in the SN history file.");
    EXPECT_EQ(offered, 1255);
    EXPECT_EQ(cancelledAfterOk, 1);
    EXPECT_FALSE(Done(report)) << report;
    EXPECT_EQ(Recorded()[0].size(), 1u);
}

// A scan with auto-start records '.', a typed SN 'm'.
TEST_F(SnProceduresTest, ScannedAndTypedStatusLetters) {
    WriteConfig(
        "ReportHistory 0\r\nVccIndex 4\r\nSerializationEnable 1\r\nBarCodeReaderEnable 1\r\n"
        "BarCodeAutoStartEnable 1\r\nPostAmbleIndex 0\r\n");
    Run([&](ui::Driver& d) {
        Device("149");
        ASSERT_EQ(LoadTiTxt(0x8000, 0x40), 1);
        core::Settings.BarCodeReaderEnable = 1;
        core::Settings.BarCodeAutoStartEnable = 1;
        core::Settings.PostAmbleIndex = 0;
        UseSn(0, 0, 8, 1);
        d.Focus(1050);
        for (char c : std::string("202600040")) {
            d.Key(static_cast<uint32_t>(c), static_cast<uint32_t>(c));
            d.Advance(20);
        }
        d.Key(ui::VK_RETURN, '\r');
        EXPECT_TRUE(Done(d.Target().GetItemText(1026))) << d.Target().GetItemText(1026);
        Device("149");
        gui::Actions.FlashWrittenFlags = 0;
        d.Type(1051, "202600077");
        // A typed SN goes through the editor, taken as typed.
        session().OnDialog(225, [](ui::Driver& e) {
            e.Click(1256);
            EXPECT_EQ(e.Target().GetItemText(1248).substr(0, 9), "202600077");
            e.Click(1246);
        });
        d.Click(1009);
        EXPECT_TRUE(Done(d.Target().GetItemText(1026))) << d.Target().GetItemText(1026);
        EXPECT_EQ(sim::Sim().PeekRange(kSnAt, 4), (std::vector<uint8_t>{0xEA, 0x07, 77, 0x00}));
    });
    std::istringstream file(testsupport::ReadFile(dir_.File("history.sn")));
    std::vector<std::pair<std::string, std::string>> records;
    std::string line;
    while (std::getline(file, line)) {
        const auto t = gui::SnLineTokens(line);
        ASSERT_GE(t.size(), 3u) << line;
        records.emplace_back(std::string(t[1]), std::string(t[2]));
    }
    const std::vector<std::pair<std::string, std::string>> expected{{"202600040", "."},
                                                                    {"202600077", "m"}};
    EXPECT_EQ(records, expected) << ui::TranscriptText();
}

} // namespace
} // namespace guitest
