// SPDX-License-Identifier: GPL-3.0-or-later
// The Windows test bed itself: the system the Windows build's tests run on is the one the
// program is made for (the Japanese ANSI code page), so text tests there mean something.
#include <windows.h>

#include <QtTest>

class TestWindowsSystem : public QObject {
    Q_OBJECT
  private Q_SLOTS:
    void japaneseCodePage() { QCOMPARE(GetACP(), UINT(932)); }

    // Japanese text through the code page and back, as the settings and log files need it.
    void shiftJisRoundTrip() {
        const std::wstring wide = L"\u7A7A\u30D5\u30A9\u30EB\u30C0";  // 空フォルダ
        char ansi[64] = {};
        const int n = WideCharToMultiByte(CP_ACP, 0, wide.c_str(), static_cast<int>(wide.size()),
                                          ansi, sizeof ansi, nullptr, nullptr);
        QCOMPARE(QByteArray(ansi, n), QByteArray("\x8B\xF3\x83\x74\x83\x48\x83\x8B\x83\x5F"));
        wchar_t back[32] = {};
        const int m = MultiByteToWideChar(CP_ACP, 0, ansi, n, back, 32);
        QCOMPARE(std::wstring(back, static_cast<size_t>(m)), wide);
    }
};

QTEST_APPLESS_MAIN(TestWindowsSystem)
#include "tst_windows_system.moc"
