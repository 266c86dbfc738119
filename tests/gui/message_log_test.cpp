// The message log: appends from both threads, line ends, the user's
// selection, and a box that can be selected but never edited.

#include <gtest/gtest.h>

#include <QClipboard>
#include <QPlainTextEdit>
#include <QScrollBar>

#include <atomic>
#include <sstream>
#include <thread>

#include "app/nolt_pcclient_dlg.h"
#include "gui_test_support.h"
#include "res/resource.h"

namespace nolt {
namespace {

using res::IDC_LOG;

class MessageLogTest : public test::DialogTest<Cnolt_PCClientDlg> {
protected:
    QPlainTextEdit* log() const { return qobject_cast<QPlainTextEdit*>(test::widgetOf(*dlg, IDC_LOG)); }
    std::wstring text() const { return dlg->GetDlgItemText(IDC_LOG); }
};

TEST_F(MessageLogTest, EachAppendEndsWithCrLf)
{
    struct Case {
        std::wstring line;
        std::wstring after;
    };
    const Case cases[] = {
        {L"", L"\r\n"},
        {L"Connect successfully", L"\r\nConnect successfully\r\n"},
        {L"a\r\nb", L"\r\nConnect successfully\r\na\r\nb\r\n"},
        {L"中文 ok", L"\r\nConnect successfully\r\na\r\nb\r\n中文 ok\r\n"},
    };
    for (const Case& c : cases) {
        dlg->AppendLog(c.line);
        EXPECT_EQ(text(), c.after);
    }
    EXPECT_EQ(log()->blockCount(), 6);  // CR LF inside a text shows as two lines
    EXPECT_EQ(dlg->GetWindowTextLength(IDC_LOG), static_cast<int>(cases[3].after.size()));
}

// Past its bound the log drops its oldest lines, whole; the newest line
// lands whole at the end and the view follows it.
TEST_F(MessageLogTest, OldestLinesGoAboveTheBound)
{
    const int kLine = 1000;  // characters a line, with its CR LF
    const int count = 3 * Cnolt_PCClientDlg::kMaxLogLength / kLine;
    for (int i = 0; i < count; ++i) {
        std::wstring line = std::to_wstring(i);
        line.resize(kLine - 2, L'.');
        dlg->AppendLog(line);
        ASSERT_LE(dlg->GetWindowTextLength(IDC_LOG), Cnolt_PCClientDlg::kMaxLogLength) << "line " << i;
    }
    const std::wstring all = text();
    ASSERT_EQ(all.size() % kLine, 0u) << "only whole lines are kept";
    const std::size_t kept = all.size() / kLine;
    EXPECT_GE(kept, static_cast<std::size_t>(Cnolt_PCClientDlg::kMaxLogLength / kLine / 2));
    for (std::size_t k = 0; k < kept; ++k) {
        const std::wstring line = all.substr(k * kLine, kLine);
        ASSERT_EQ(std::stoi(line), count - static_cast<int>(kept) + static_cast<int>(k)) << "line " << k;
        ASSERT_TRUE(line.ends_with(L".\r\n"));
    }
    test::pump(20);
    EXPECT_TRUE(log()->viewport()->rect().contains(log()->cursorRect())) << "the end of the log is in view";
}

TEST_F(MessageLogTest, SelectionPositionsCountLineEndsAsTwo)
{
    dlg->AppendLog(L"ab");
    dlg->AppendLog(L"cd");
    struct Case {
        int start, end;
        std::pair<int, int> sel;
    };
    for (const Case& c : {Case{4, 6, {4, 6}}, Case{0, -1, {0, 8}}, Case{8, 8, {8, 8}}, Case{2, 4, {2, 4}},
                          Case{5, 100, {5, 8}}}) {
        dlg->SetSel(IDC_LOG, c.start, c.end);
        EXPECT_EQ(dlg->GetSel(IDC_LOG), c.sel) << c.start << "," << c.end;
    }
    dlg->SetSel(IDC_LOG, 4, 6);
    dlg->ReplaceSel(IDC_LOG, L"CD");
    EXPECT_EQ(text(), L"ab\r\nCD\r\n");
}

TEST_F(MessageLogTest, AppendAfterUserSelectionGoesToEndAndScrolls)
{
    for (int i = 0; i < 60; ++i) dlg->AppendLog(L"line " + std::to_wstring(i));
    // The user drags over part of the first lines and scrolls to the top.
    QTextCursor c = log()->textCursor();
    c.setPosition(2);
    c.setPosition(9, QTextCursor::KeepAnchor);
    log()->setTextCursor(c);
    log()->verticalScrollBar()->setValue(0);
    ASSERT_EQ(dlg->GetSel(IDC_LOG), std::make_pair(2, 10));  // the CR LF counts two

    dlg->AppendLog(L"last");
    const std::wstring t = text();
    EXPECT_EQ(t.substr(0, 16), L"line 0\r\nline 1\r\n");
    EXPECT_EQ(t.substr(t.size() - 6), L"last\r\n");
    const int len = dlg->GetWindowTextLength(IDC_LOG);
    EXPECT_EQ(dlg->GetSel(IDC_LOG), std::make_pair(len, len));
    test::pump();
    // The end of the log is in view again.
    EXPECT_GT(log()->verticalScrollBar()->value(), 0);
    EXPECT_TRUE(log()->viewport()->rect().contains(log()->cursorRect()));
}

TEST_F(MessageLogTest, UserCanSelectAndCopyButNotEdit)
{
    dlg->AppendLog(L"copy me");
    EXPECT_TRUE(test::click(*dlg, IDC_LOG) || true);
    log()->setFocus(Qt::MouseFocusReason);
    test::pump();
    EXPECT_EQ(dlg->GetFocusId(), IDC_LOG);
    QTest::keyClicks(log(), QStringLiteral("typed"));
    QTest::keyClick(log(), Qt::Key_Backspace);
    QTest::keyClick(log(), Qt::Key_Delete);
    EXPECT_EQ(text(), L"copy me\r\n");
    EXPECT_EQ(log()->cursorWidth(), 0);  // no caret, also with the focus
    QTest::keyClick(log(), Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(log(), Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(QApplication::clipboard()->text().trimmed().toStdWString(), L"copy me");
}

// The log never shows a caret, so its frame shows the focus instead: the
// highlight colour while it has the focus, the style's own frame otherwise.
TEST_F(MessageLogTest, TheFocusedLogShowsAFrame)
{
    const QColor highlight = log()->palette().color(QPalette::Highlight);
    const auto frameAt = [&](int x, int y) { return log()->grab().toImage().pixelColor(x, y); };
    const int midX = log()->width() / 2, midY = log()->height() / 2;
    dlg->GotoDlgCtrl(res::IDC_CONNECT);
    test::pump();
    EXPECT_NE(frameAt(0, midY), highlight);
    dlg->GotoDlgCtrl(IDC_LOG);
    test::pump();
    ASSERT_EQ(dlg->GetFocusId(), IDC_LOG);
    for (const QPoint p : {QPoint(0, midY), QPoint(midX, 0), QPoint(log()->width() - 1, midY), QPoint(midX, log()->height() - 1)})
        EXPECT_EQ(frameAt(p.x(), p.y()), highlight) << p.x() << "," << p.y();
    dlg->GotoDlgCtrl(res::IDC_CONNECT);
    test::pump();
    EXPECT_NE(frameAt(0, midY), highlight);
}

TEST_F(MessageLogTest, AppendsFromTwoThreadsStayWholeAndInOrder)
{
    constexpr int kLines = 200;
    std::atomic<bool> done{false};
    std::thread link([&] {
        for (int i = 0; i < kLines; ++i) dlg->AppendLog(L"link line " + std::to_wstring(i) + L" end");
        done = true;
    });
    for (int i = 0; i < kLines; ++i) {
        dlg->AppendLog(L"ui line " + std::to_wstring(i) + L" end");
        QApplication::processEvents();
    }
    ASSERT_TRUE(test::pumpUntil([&] { return done.load(); }, 10000));
    link.join();

    std::wistringstream in(text());
    std::wstring line;
    int nextLink = 0, nextUi = 0, total = 0;
    bool interleaved = false;
    std::wstring prevSource;
    while (std::getline(in, line)) {
        ASSERT_FALSE(line.empty());
        ASSERT_EQ(line.back(), L'\r');
        line.pop_back();
        const std::wstring source = line.substr(0, line.find(L' '));
        int& next = source == L"link" ? nextLink : nextUi;
        ASSERT_EQ(line, source + L" line " + std::to_wstring(next) + L" end");
        ++next;
        ++total;
        interleaved |= !prevSource.empty() && prevSource != source && nextLink < kLines && nextUi < kLines;
        prevSource = source;
    }
    EXPECT_EQ(total, 2 * kLines);
    EXPECT_EQ(nextLink, kLines);
    EXPECT_EQ(nextUi, kLines);
    EXPECT_TRUE(interleaved) << "the two threads never took turns";
}

}  // namespace
}  // namespace nolt
