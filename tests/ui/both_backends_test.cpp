// Behaviour both back ends must share: unattended box answers, input that
// arrives while a handler runs, timers on the injected clock, the rule that
// only operator input runs change handlers, refusals, Enter and the key
// filter.

#include "tests/ui/qt_environment.h"
#include "tests/ui/sample_dialogs.h"

#include "ui/file_dialog.h"
#include "ui/termination.h"
#include "ui/test_session.h"
#include "ui/transcript.h"

#include <gtest/gtest.h>

#include <csignal>
#include <functional>
#include <optional>
#include <stdexcept>
#include <string>

namespace uitest {
namespace {

using ui::Driver;

class UiBoth : public BothBackends {};

TEST_P(UiBoth, ABoxNobodyAnswersGetsCancelElseNoElseItsFirstButton) {
    struct Case {
        uint32_t flags;
        int scripted; // 0: nobody answers
        int answer;
    };
    const Case cases[] = {
        {ui::MB_OK | ui::MB_ICONERROR, 0, ui::IDOK},
        {ui::MB_OKCANCEL, 0, ui::IDCANCEL},
        {ui::MB_OKCANCEL | ui::MB_DEFBUTTON2, 0, ui::IDCANCEL},
        {ui::MB_YESNO | ui::MB_ICONWARNING, 0, ui::IDNO},
        {ui::MB_YESNOCANCEL | ui::MB_ICONQUESTION, 0, ui::IDCANCEL},
        {ui::MB_RETRYCANCEL, 0, ui::IDCANCEL},
        {ui::MB_ABORTRETRYIGNORE | ui::MB_DEFBUTTON2, 0, ui::IDABORT},
        {ui::MB_YESNO, ui::IDYES, ui::IDYES},
        {ui::MB_YESNOCANCEL, ui::IDNO, ui::IDNO},
        {ui::MB_OKCANCEL, ui::IDOK, ui::IDOK},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message()
                     << "flags 0x" << std::hex << c.flags << " scripted " << c.scripted);
        ui::TestSession s;
        if (c.scripted) {
            s.Boxes().Answer(c.scripted);
        }
        SampleDialog d;
        int got = -1;
        d.onA = [&](SampleDialog&) {
            got = ui::MessageBox("Erase the flash?", "Warning", c.flags);
        };
        s.OnDialog(300, [](Driver& dr) { dr.Click(kButtonA); });
        d.DoModal();
        EXPECT_EQ(got, c.answer);
        EXPECT_EQ(ui::TranscriptHas("(unattended)"), c.scripted == 0) << ui::TranscriptText();
        EXPECT_TRUE(ui::TranscriptHas("box [Warning] \"Erase the flash?\""))
            << ui::TranscriptText();
    }
}

TEST_P(UiBoth, InputArrivingWhileAHandlerRunsIsDroppedNotReplayed) {
    struct Case {
        const char* name;
        std::function<void(Driver&)> input;
        const char* line;
    };
    const Case cases[] = {
        {"click", [](Driver& d) { d.Click(kButtonB); },
         "[300] dropped click 1002: handler running"},
        {"key", [](Driver& d) { d.Key(ui::VK_F5); }, "[300] dropped key 0x74: handler running"},
        {"type", [](Driver& d) { d.Type(kEdit, "123"); },
         "[300] dropped type 1051: handler running"},
        {"select", [](Driver& d) { d.Select(kCombo, 1); },
         "[300] dropped select 1014: handler running"},
        {"menu", [](Driver& d) { d.Menu(kMenuOpen); }, "[300] dropped menu 23: handler running"},
        {"close", [](Driver& d) { d.Close(); }, "[300] dropped close: handler running"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ui::TestSession s;
        SampleDialog d;
        Driver* driver = nullptr;
        d.onA = [&](SampleDialog&) { c.input(*driver); };
        s.OnDialog(300, [&](Driver& dr) {
            driver = &dr;
            dr.Click(kButtonA);
            // Nothing of it ran, and nothing of it comes back afterwards.
            EXPECT_TRUE(d.IsOpen());
            EXPECT_EQ(d.count("B"), 0);
            EXPECT_EQ(d.count("open"), 0);
            EXPECT_EQ(d.count("edit"), 0);
            EXPECT_EQ(d.count("combo"), 0);
            EXPECT_TRUE(d.keys.empty());
            EXPECT_EQ(d.GetItemText(kEdit), "");
            EXPECT_EQ(d.GetCurSel(kCombo), -1);
            // Input after the handler is taken again.
            dr.Click(kButtonB);
            EXPECT_EQ(d.count("B"), 1);
        });
        d.DoModal();
        EXPECT_TRUE(ui::TranscriptHas(c.line)) << ui::TranscriptText();
        EXPECT_EQ(d.count("A"), 1);
    }
}

TEST_P(UiBoth, InputDuringAHandlerNeverReachesTheBoxItOpens) {
    ui::TestSession s;
    s.Boxes().Answer(ui::IDNO);
    SampleDialog d;
    Driver* driver = nullptr;
    int answer = 0;
    d.onA = [&](SampleDialog&) {
        // The operator presses Enter (and clicks) while the step runs; the
        // box that follows is answered by its own input only.
        driver->Key(ui::VK_RETURN);
        driver->Click(kButtonB);
        answer = ui::MessageBox("Overwrite the SN?", "Warning", ui::MB_YESNO);
    };
    s.OnDialog(300, [&](Driver& dr) {
        driver = &dr;
        dr.Click(kButtonA);
    });
    d.DoModal();
    EXPECT_EQ(answer, ui::IDNO);
    EXPECT_EQ(d.count("ok"), 0);
    EXPECT_EQ(d.count("B"), 0);
    EXPECT_TRUE(ui::TranscriptHas("dropped key 0x0D")) << ui::TranscriptText();
}

TEST_P(UiBoth, ASplashTimerClosesTheDialogOnTheInjectedClock) {
    ui::TestSession s;
    SampleDialog d(202);
    d.onInit = [](SampleDialog& x) { x.SetTimer(1, 1500); };
    d.onTimer = [](SampleDialog& x, int id) {
        x.KillTimer(id);
        x.EndDialog(ui::IDOK);
    };
    const uint64_t start = s.Clock().Milliseconds();
    s.OnDialog(202, [&](Driver& dr) {
        dr.Advance(1499);
        EXPECT_TRUE(d.IsOpen());
        EXPECT_EQ(d.timers, 0);
        dr.Advance(1);
        EXPECT_EQ(d.timers, 1);
    });
    EXPECT_EQ(d.DoModal(), ui::IDOK);
    EXPECT_EQ(s.Clock().Milliseconds() - start, 1500u);
    const std::string t = ui::TranscriptText();
    const size_t set = t.find("[202] timer 1 set 1500 ms");
    const size_t fired = t.find("[202] timer 1 fired");
    const size_t killed = t.find("[202] timer 1 killed");
    const size_t end = t.find("[202] end 1");
    ASSERT_NE(set, std::string::npos) << t;
    ASSERT_NE(fired, std::string::npos) << t;
    ASSERT_NE(killed, std::string::npos) << t;
    ASSERT_NE(end, std::string::npos) << t;
    EXPECT_LT(set, fired);
    EXPECT_LT(fired, killed);
    EXPECT_LT(killed, end);
}

TEST_P(UiBoth, ATimerWaitsForTheRunningHandlerAndFiresOnceAfterIt) {
    ui::TestSession s;
    SampleDialog d;
    d.onInit = [](SampleDialog& x) { x.SetTimer(5, 100); };
    Driver* driver = nullptr;
    d.onA = [&](SampleDialog& x) {
        driver->Advance(1000); // a long step
        EXPECT_EQ(x.timers, 0);
    };
    s.OnDialog(300, [&](Driver& dr) {
        driver = &dr;
        dr.Click(kButtonA);
        EXPECT_EQ(d.timers, 0);
        dr.Advance(0);
        EXPECT_EQ(d.timers, 1);
        dr.Advance(250);
        EXPECT_EQ(d.timers, 3);
    });
    d.DoModal();
}

TEST_P(UiBoth, ValuesSetByCodeRunNoHandlerOperatorInputDoes) {
    ui::TestSession s;
    SampleDialog d;
    s.OnDialog(300, [&](Driver& dr) {
        d.SetItemText(kEdit, "0001");
        d.SetCurSel(kCombo, 1);
        d.CheckDlgButton(kCheck, 1);
        d.CheckRadioButton(kRadio1, kRadio3, kRadio1);
        d.SetCurSel(kList, 1);
        d.SetItemText(kReport, "line 1\r\nline 2\r\nline 3");
        d.SetPos(kProgress, 40);
        EXPECT_TRUE(d.ran.empty());

        dr.Type(kEdit, "12345");
        EXPECT_EQ(d.count("edit"), 1);
        EXPECT_EQ(d.GetItemText(kEdit), "12345");
        dr.Select(kCombo, 2);
        EXPECT_EQ(d.count("combo"), 1);
        EXPECT_EQ(d.GetItemText(kCombo), "2.6 V");
        dr.Click(kCheck);
        EXPECT_EQ(d.IsDlgButtonChecked(kCheck), 0);
        dr.Click(kRadio2);
        EXPECT_EQ(d.count("radio2"), 1);
        EXPECT_EQ(d.IsDlgButtonChecked(kRadio1), 0);
        EXPECT_EQ(d.IsDlgButtonChecked(kRadio2), 1);
        dr.Select(kList, 0);
        EXPECT_EQ(d.count("list"), 1);
        EXPECT_EQ(d.GetItemText(kList), "Automatic");
        EXPECT_EQ(d.GetPos(kProgress), 40);
        EXPECT_EQ(d.GetLineCount(kReport), 3);
    });
    d.DoModal();
    EXPECT_TRUE(ui::TranscriptHas("[300] run 1051 EN_CHANGE"));
    EXPECT_TRUE(ui::TranscriptHas("[300] run 1014 SELCHANGE"));
}

TEST_P(UiBoth, DisabledControlsGrayedItemsAndReadOnlyEditsRefuseTheOperator) {
    ui::TestSession s;
    SampleDialog d;
    s.OnDialog(300, [&](Driver& dr) {
        d.EnableItem(kButtonB, false);
        dr.Click(kButtonB);
        d.EnableMenuItem(kMenuList, false);
        dr.Menu(kMenuList);
        dr.Type(kReport, "typed");
        EXPECT_TRUE(d.ran.empty());
        EXPECT_EQ(d.GetItemText(kReport), "");

        // One id in two menus is one command.
        d.EnableMenuItem(kMenuList, true);
        dr.Menu(kMenuList);
        EXPECT_EQ(d.count("snlist"), 1);
        d.SetMenuItemText(kMenuOpen, "Open Project..");
        EXPECT_EQ(d.MenuItemText(kMenuOpen), "Open Project..");
    });
    d.DoModal();
    EXPECT_TRUE(ui::TranscriptHas("[300] refused click 1002: disabled"));
    EXPECT_TRUE(ui::TranscriptHas("[300] refused menu 21: grayed"));
    EXPECT_TRUE(ui::TranscriptHas("[300] refused type 1026: read-only"));
    EXPECT_TRUE(ui::TranscriptHas("[300] menu 21 grayed"));
    EXPECT_TRUE(ui::TranscriptHas("[300] run 21 menu"));
}

TEST_P(UiBoth, EnterIsTheOkCommandNeverTheFocusedButtonEscapeCancels) {
    ui::TestSession s;
    SampleDialog d;
    s.OnDialog(300, [&](Driver& dr) {
        dr.Focus(kButtonA);
        dr.Key(ui::VK_RETURN, '\r');
        EXPECT_EQ(d.count("ok"), 1);
        EXPECT_EQ(d.count("A"), 0);
        EXPECT_TRUE(d.IsOpen()); // OnOK mapped to nothing here
        dr.Key(ui::VK_ESCAPE, 0x1B);
    });
    EXPECT_EQ(d.DoModal(), ui::IDCANCEL);
    EXPECT_EQ(d.count("cancel"), 1);
}

TEST_P(UiBoth, TheCloseBoxIsTheCancelCommand) {
    ui::TestSession s;
    SampleDialog d;
    s.OnDialog(300, [](Driver& dr) { dr.Close(); });
    EXPECT_EQ(d.DoModal(), ui::IDCANCEL);
    EXPECT_EQ(d.ran, (std::vector<std::string>{"cancel"}));
    EXPECT_TRUE(ui::TranscriptHas("[300] run WM_CLOSE"));
    EXPECT_FALSE(ui::TranscriptHas("left open"));
}

TEST_P(UiBoth, TheKeyFilterSeesOnlyKeysOfItsOwnWindowWhileOnTop) {
    ui::TestSession s;
    SampleDialog main;
    SampleDialog above(301);
    main.onA = [&](SampleDialog&) { above.DoModal(); };
    s.OnDialog(301, [&](Driver& dr) {
        dr.Key(ui::VK_F5);
        dr.Key('Y', 'y');
    });
    s.OnDialog(300, [&](Driver& dr) {
        dr.Click(kButtonA);
        EXPECT_TRUE(main.keys.empty());
        ASSERT_EQ(above.keys.size(), 2u);
        EXPECT_EQ(above.keys[0].vk, ui::VK_F5);

        dr.Key(ui::VK_F5, 0, true);
        ASSERT_EQ(main.keys.size(), 1u);
        EXPECT_TRUE(main.keys[0].repeat);
        // A key the filter lets through reaches the edit clicked into.
        dr.Click(kEdit);
        dr.Key('7', '7');
        EXPECT_EQ(main.GetItemText(kEdit), "7");
        EXPECT_EQ(main.count("edit"), 1);
        // A swallowed key does not.
        dr.Key(ui::VK_F5);
        EXPECT_EQ(main.GetItemText(kEdit), "7");
    });
    main.DoModal();
}

TEST_P(UiBoth, DialogsWithoutAScriptOrLeftOpenEndWithCancel) {
    ui::TestSession s;
    SampleDialog unscripted;
    EXPECT_EQ(unscripted.DoModal(), ui::IDCANCEL);
    SampleDialog left(301);
    s.OnDialog(301, [](Driver& dr) { dr.Click(kButtonA); });
    EXPECT_EQ(left.DoModal(), ui::IDCANCEL);
    EXPECT_EQ(left.count("A"), 1);
    EXPECT_TRUE(ui::TranscriptHas("[300] unscripted: IDCANCEL"));
    EXPECT_TRUE(ui::TranscriptHas("[301] left open by its script: IDCANCEL"));
    EXPECT_EQ(s.PendingScripts(), 0u);
}

TEST_P(UiBoth, AHandlerThatThrowsIsReportedAndTheWindowGoesOn) {
    ui::TestSession s;
    SampleDialog d;
    d.onA = [](SampleDialog&) { throw std::runtime_error("Cannot write \"config.ini\"."); };
    s.OnDialog(300, [&](Driver& dr) {
        dr.Click(kButtonA);
        dr.Click(kButtonB);
        EXPECT_EQ(d.count("B"), 1);
    });
    d.DoModal();
    ASSERT_EQ(s.Boxes().Transcript().size(), 1u);
    EXPECT_EQ(s.Boxes().Transcript()[0].text, "Cannot write \"config.ini\".");
    EXPECT_EQ(s.Boxes().Transcript()[0].caption, "Error");
    EXPECT_TRUE(ui::TranscriptHas("[300] handler failed: Cannot write"));
}

// A termination signal wherever it finds the program: a dialog open above
// the window, a box open, the window's own handler running. Each open
// dialog ends through its close path (Cancel), each box gets its
// unattended answer, nothing is asked any more, and the window closes
// through its own close path once its handler has returned.
TEST_P(UiBoth, ATerminationSignalEndsEveryDialogAndBoxThenTheWindowThroughItsClosePath) {
    ui::TerminationSignalsCatch();
    struct Case {
        const char* name;
        int signal;
    };
    const Case cases[] = {
        {"dialog open", SIGTERM}, {"box open", SIGINT}, {"handler running", SIGHUP}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string where = c.name;
        ui::TestSession s;
        SampleDialog outer;
        SampleDialog inner(301);
        int innerCode = -1;
        int answer = -1;
        int later = -1;
        int laterDialog = -1;
        std::optional<std::string> file = std::string("not asked");
        outer.onA = [&](SampleDialog&) {
            if (where == "dialog open") {
                innerCode = inner.DoModal();
            } else if (where == "box open") {
                answer = ui::MessageBox("Erase the flash?", "Warning", ui::MB_YESNO);
            } else {
                std::raise(c.signal);
                EXPECT_TRUE(ui::TerminationRequested());
            }
            // What the handler asks after the signal is answered for the operator.
            later = ui::MessageBox("Continue?", "Question", ui::MB_OKCANCEL);
            SampleDialog another(302);
            laterDialog = another.DoModal();
            ui::FileDialogOptions o;
            file = ui::FileDialog(o);
        };
        s.OnDialog(301, [&](Driver& d) {
            std::raise(c.signal);
            d.Advance(10);
            // Closed through its close path (Cancel) as soon as the layer was idle.
            EXPECT_EQ(inner.count("cancel"), 1);
        });
        s.OnDialog(302, [](Driver& d) { d.Click(ui::IDOK); });
        s.Boxes().Answer(ui::IDYES);
        s.Boxes().Answer(ui::IDOK);
        s.AnswerFile("/tmp/chosen.txt");
        if (where == "box open") {
            s.WhileBoxOpen([&] { std::raise(c.signal); });
        }
        s.OnDialog(300, [](Driver& d) {
            d.Click(kButtonA);
            d.Advance(10);
        });
        EXPECT_EQ(outer.DoModal(), ui::IDCANCEL);
        EXPECT_EQ(outer.count("A"), 1);
        EXPECT_EQ(outer.count("cancel"), 1) << ui::TranscriptText();
        if (where == "dialog open") {
            EXPECT_EQ(innerCode, ui::IDCANCEL);
            EXPECT_EQ(inner.count("cancel"), 1);
        }
        if (where == "box open") {
            EXPECT_EQ(answer, ui::IDNO) << ui::TranscriptText();
        }
        EXPECT_EQ(later, ui::IDCANCEL);
        EXPECT_EQ(laterDialog, ui::IDCANCEL);
        EXPECT_FALSE(file.has_value());
        const std::string t = ui::TranscriptText();
        EXPECT_TRUE(ui::TranscriptHas(
            "box [Question] \"Continue?\" flags 0x1 -> IDCANCEL (termination signal)"))
            << t;
        const size_t outerClosed = t.find("[300] termination signal: closing");
        ASSERT_NE(outerClosed, std::string::npos) << t;
        if (where == "dialog open") {
            const size_t innerClosed = t.find("[301] termination signal: closing");
            ASSERT_NE(innerClosed, std::string::npos) << t;
            EXPECT_LT(innerClosed, outerClosed);
        }
    }
    // A session starts without a signal that came in an earlier one.
    ui::TestSession fresh;
    EXPECT_FALSE(ui::TerminationRequested());
}

INSTANTIATE_TEST_SUITE_P(Backends, UiBoth, ::testing::Values(Back::Headless, Back::Qt), BackName);

} // namespace
} // namespace uitest
