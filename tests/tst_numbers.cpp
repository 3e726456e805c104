// SPDX-License-Identifier: GPL-3.0-or-later
#include <QtTest>

#include "util/numbers.h"

using namespace corvelle;

class TestNumbers : public QObject {
    Q_OBJECT
  private Q_SLOTS:
    void lenient_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<double>("value");
        QTest::newRow("letters") << "abc" << 0.0;
        QTest::newRow("writer layout") << " 1620 " << 1620.0;
        QTest::newRow("negative") << "-60 " << -60.0;
        QTest::newRow("inner blank") << "1 2" << 12.0;
        QTest::newRow("tab and lf") << "\t3\n4" << 34.0;
        QTest::newRow("fraction") << "2.5" << 2.5;
        QTest::newRow("second point stops") << "1.2.3" << 1.2;
        QTest::newRow("comma stops") << "1,234" << 1.0;
        QTest::newRow("exponent E") << "1E3" << 1000.0;
        QTest::newRow("exponent D") << "2D2" << 200.0;
        QTest::newRow("hex") << "&H1F" << 31.0;
        QTest::newRow("octal") << "&O17" << 15.0;
        QTest::newRow("trailing text") << "42px" << 42.0;
        QTest::newRow("empty") << "" << 0.0;
    }
    void lenient() {
        QFETCH(double, value);
        QFETCH(QString, text);
        QCOMPARE(LenientValue(text.toStdString()), value);
    }

    void roundHalfEven_data() {
        QTest::addColumn<double>("in");
        QTest::addColumn<double>("out");
        QTest::newRow("2.5") << 2.5 << 2.0;
        QTest::newRow("3.5") << 3.5 << 4.0;
        QTest::newRow("-2.5") << -2.5 << -2.0;
        QTest::newRow("-3.5") << -3.5 << -4.0;
        QTest::newRow("2.4") << 2.4 << 2.0;
        QTest::newRow("2.6") << 2.6 << 3.0;
    }
    void roundHalfEven() {
        QFETCH(double, in);
        QFETCH(double, out);
        QCOMPARE(RoundHalfEven(in), out);
    }

    void strictInteger_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("error");
        QTest::addColumn<qint64>("value");
        QTest::newRow("plain") << "1" << 0 << qint64(1);
        QTest::newRow("blanks around") << " 1 " << 0 << qint64(1);
        QTest::newRow("fraction to even") << "0.5" << 0 << qint64(0);
        QTest::newRow("fraction up") << "1.5" << 0 << qint64(2);
        QTest::newRow("hex") << "&H10" << 0 << qint64(16);
        QTest::newRow("letter") << "a" << int(kErrTypeMismatch) << qint64(0);
        QTest::newRow("empty") << "" << int(kErrTypeMismatch) << qint64(0);
        QTest::newRow("inner blank") << "1 2" << int(kErrTypeMismatch) << qint64(0);
        QTest::newRow("16-bit overflow") << "40000" << int(kErrOverflow) << qint64(0);
    }
    void strictInteger() {
        QFETCH(qint64, value);
        QFETCH(QString, text);
        QFETCH(int, error);
        int64_t v = 0;
        const Error e = StrictInteger(text.toStdString(), -32768, 32767, v);
        QCOMPARE(e.number, error);
        if (!error)
            QCOMPARE(qint64(v), value);
    }

    void strictBoolean_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("error");
        QTest::addColumn<bool>("value");
        QTest::newRow("True") << "True" << 0 << true;
        QTest::newRow("false lower") << "false" << 0 << false;
        QTest::newRow("TRUE") << "TRUE" << 0 << true;
        QTest::newRow("zero") << "0" << 0 << false;
        QTest::newRow("minus one") << "-1" << 0 << true;
        QTest::newRow("word") << "yes" << int(kErrTypeMismatch) << false;
        QTest::newRow("empty") << "" << int(kErrTypeMismatch) << false;
    }
    void strictBoolean() {
        QFETCH(bool, value);
        QFETCH(QString, text);
        QFETCH(int, error);
        bool v = !value;
        QCOMPARE(StrictBoolean(text.toStdString(), v).number, error);
        if (!error)
            QCOMPARE(v, value);
    }

    void iniNumberLayout() {
        QCOMPARE(FormatIniNumber(1620), std::string(" 1620 "));
        QCOMPARE(FormatIniNumber(-60), std::string("-60 "));
        QCOMPARE(FormatIniNumber(0), std::string(" 0 "));
    }
};

QTEST_APPLESS_MAIN(TestNumbers)
#include "tst_numbers.moc"
