#include "expression/DateText.h"
#include "expression/NumberText.h"
#include "expression/ValueFormatter.h"
#include "platform/DateValue.h"

#include <QLocale>
#include <QTest>

#include <cmath>
#include <limits>

namespace {

double at(int year, int month, int day, int hour = 0, int minute = 0, int second = 0) {
    return DateValue::fromCivil({year, month, day, hour, minute, second});
}

// A Monday morning and a Christmas afternoon.
double morning() {
    return at(2000, 1, 31, 9, 5, 7);
}
double afternoon() {
    return at(2000, 12, 25, 15, 4, 5);
}

FormatArgument argumentOf(const QVariant& value) {
    if (value.typeId() == QMetaType::Double)
        return FormatArgument::fromNumber(value.toDouble());
    return FormatArgument::fromText(value.toString());
}

QString repeated(const char* text, int count) {
    return QString::fromUtf8(text).repeated(count);
}

// One row of a (value, pattern, expected) table.
template <typename Value>
void addRow(const char* name, const Value& value, const QString& pattern, const QString& expected) {
    QTest::newRow(name) << value << pattern << expected;
}

void addDateRow(
    const char* name, double value, const QString& pattern, int firstDay, int firstWeek, const QString& expected) {
    QTest::newRow(name) << value << pattern << firstDay << firstWeek << expected;
}

} // namespace

class TestValueFormatter : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void numberPatterns_data() {
        QTest::addColumn<double>("value");
        QTest::addColumn<QString>("pattern");
        QTest::addColumn<QString>("expected");
        addRow("zeros pad to the width", 7.0, "000", "007");
        addRow("digits beyond the placeholders all show", 12345.0, "000", "12345");
        addRow("hash shows nothing for zero", 0.0, "#", "");
        addRow("zero placeholder after hash shows the zero", 0.0, "#0", "0");
        addRow("hash hides leading zeros", 7.0, "###", "7");
        addRow("halves round away from zero", 2.5, "0", "3");
        addRow("negative halves round away from zero", -2.5, "0", "-3");
        addRow("rounding works on the decimal digits", 2.675, "0.00", "2.68");
        addRow("1.005 rounds up", 1.005, "0.00", "1.01");
        addRow("rounding carries into the integer", 99.95, "0.0", "100.0");
        addRow("no leading zero with hash", 0.5, "#.##", ".5");
        addRow("point stays when hash digits are zero", 1.0, "0.##", "1.");
        addRow("trailing hash drops its zero", 1.5, "0.0#", "1.5");
        addRow("hash before a zero placeholder keeps its zero", 1.5, "0.#0", "1.50");
        addRow("inner zero digit under hash shows", 1.05, "0.##", "1.05");
        addRow("integer digits show without placeholders", 12.5, ".00", "12.50");
        addRow("value below one without placeholders", 0.5, ".00", ".50");
        addRow("thousands separators", 1234567.0, "#,##0", "1,234,567");
        addRow("thousands separators with decimals", 1234.567, "#,##0.00", "1,234.57");
        addRow("zero with thousands separators", 0.0, "#,##0", "0");
        addRow("forced zeros are grouped too", 12.0, "0,000", "0,012");
        addRow("negative number with separators", -1234.0, "#,##0", "-1,234");
        addRow("trailing comma scales by a thousand", 1234567.0, "#,##0,", "1,235");
        addRow("two trailing commas scale by a million", 1234567890.0, "#,##0,,", "1,235");
        addRow("scaling before the point", 1234567.0, "0,.0", "1234.6");
        addRow("leading comma is copied", 5.0, ",0", ",5");
        addRow("percent multiplies by a hundred", 0.5, "0%", "50%");
        addRow("percent with a decimal", 0.1234, "0.0%", "12.3%");
        addRow("percent alone shows the digits before it", 5.0, "%", "500%");
        addRow("scientific", 1234.5, "0.00E+00", "1.23E+03");
        addRow("scientific with a negative exponent", 0.00012345, "0.00E+00", "1.23E-04");
        addRow("E- shows no plus sign", 1234.5, "0.00E-00", "1.23E03");
        addRow("E- shows the minus sign", 0.00012345, "0.00E-00", "1.23E-04");
        addRow("two integer placeholders lower the exponent", 1234.5, "00.0e+0", "12.3e+2");
        addRow("scientific of zero", 0.0, "0.00E+00", "0.00E+00");
        addRow("scientific rounding carries into the exponent", 9.999, "0.00E+00", "1.00E+01");
        addRow("literal between placeholders", 1234567.0, "000-0000", "123-4567");
        addRow("literal between forced zeros", 12.0, "000-0000", "000-0012");
        addRow("hash placeholders around a literal", 12345.0, "#-##", "123-45");
        addRow("letters next to digit placeholders are copied", 5.0, "0 pcs", "5 pcs");
        addRow("quoted text is copied", 5.0, "\"No.\"0", "No.5");
        addRow("escaped placeholder is copied", 5.0, "\\#0", "#5");
        addRow("currency sign is copied", 1234.0, "$#,##0", "$1,234");
        addRow("large number written out in full", 1e20, "0", "100000000000000000000");
        addRow("fifteen significant digits", 123456789012345678.0, "0", "123456789012346000");
        addRow("tiny number rounds to zero", 1e-308, "0.00", "0.00");
        addRow("negative that rounds to zero keeps its sign", -0.4, "0", "-0");
        addRow("minus sign goes before the literal text", -5.0, "\"x\"0", "-x5");
        addRow("number with a text pattern is placed as text", 5.0, "@@@", "  5");
        addRow("number with a literal pattern shows the literal", 5.0, "x", "x");
    }
    void numberPatterns() {
        QFETCH(double, value);
        QFETCH(QString, pattern);
        QFETCH(QString, expected);
        QCOMPARE(formatWithPattern(FormatArgument::fromNumber(value), pattern), expected);
    }

    void sections_data() {
        QTest::addColumn<double>("value");
        QTest::addColumn<QString>("pattern");
        QTest::addColumn<QString>("expected");
        addRow("positive uses the first section", 5.0, "0;(0)", "5");
        addRow("negative section has no minus of its own", -5.0, "0;(0)", "(5)");
        addRow("zero uses the first of two sections", 0.0, "0;(0)", "0");
        addRow("zero section", 0.0, "0;(0);\"zero\"", "zero");
        addRow("unquoted zero section is copied", 0.0, "0;-0;zero", "zero");
        addRow("empty negative section falls back with a minus", -5.0, "0;;\"zero\"", "-5");
        addRow("empty zero section falls back to the first", 0.0, "0.0;-0;", "0.0");
        addRow("trailing semicolon leaves negatives to the first", -5.0, "0;", "-5");
        addRow("null section plays no part", 5.0, "0;-0;0;null", "5");
        addRow("a fifth section is ignored", -5.0, "0;a0;0;0;x", "a5");
        addRow("negative section with its own sign", -1234.5, QString::fromUtf8("#,##0.00;▲#,##0.00"),
               QString::fromUtf8("▲1,234.50"));
        addRow("semicolon in quotes does not split", -5.0, "\"a;b\"0", "-a;b5");
        addRow("all sections empty gives the plain form", -2.5, ";;", "-2.5");
    }
    void sections() {
        QFETCH(double, value);
        QFETCH(QString, pattern);
        QFETCH(QString, expected);
        QCOMPARE(formatWithPattern(FormatArgument::fromNumber(value), pattern), expected);
    }

    void datePatterns_data() {
        QTest::addColumn<double>("value");
        QTest::addColumn<QString>("pattern");
        QTest::addColumn<int>("firstDay");
        QTest::addColumn<int>("firstWeek");
        QTest::addColumn<QString>("expected");
        addDateRow("short date pieces", morning(), "yyyy/mm/dd", 1, 1, "2000/01/31");
        addDateRow("elements ignore case", morning(), "YYYY-MM-DD", 1, 1, "2000-01-31");
        addDateRow("two-digit year", morning(), "yy", 1, 1, "00");
        addDateRow("day of year", afternoon(), "y", 1, 1, "360");
        addDateRow("month and day without zeros", morning(), "m/d", 1, 1, "1/31");
        addDateRow("short month name", morning(), "mmm", 1, 1, QString::fromUtf8("1月"));
        addDateRow("full month name", afternoon(), "mmmm", 1, 1, QString::fromUtf8("12月"));
        addDateRow("short weekday name", morning(), "ddd", 1, 1, QString::fromUtf8("月"));
        addDateRow("full weekday name", morning(), "dddd", 1, 1, QString::fromUtf8("月曜日"));
        addDateRow("short date element", morning(), "ddddd", 1, 1, "2000/01/31");
        addDateRow("long date element", morning(), "dddddd", 1, 1, QString::fromUtf8("2000年1月31日"));
        addDateRow("weekday number from Sunday", morning(), "w", 1, 1, "2");
        addDateRow("weekday number from Monday", morning(), "w", 2, 1, "1");
        addDateRow("week holding January 1 is the first", morning(), "ww", 1, 1, "6");
        addDateRow("first week needs four days", morning(), "ww", 1, 2, "5");
        addDateRow("first full week", morning(), "ww", 1, 3, "5");
        addDateRow("days before the first week count in the old year", at(2000, 1, 1), "ww", 1, 2, "52");
        addDateRow("Monday weeks with four days", at(2000, 1, 3), "ww", 2, 2, "1");
        addDateRow("rules out of range fall back to the default", morning(), "w ww", 0, 9, "2 6");
        addDateRow("quarter", afternoon(), "q", 1, 1, "4");
        addDateRow("time without zeros", morning(), "h:n:s", 1, 1, "9:5:7");
        addDateRow("time with zeros", morning(), "hh:nn:ss", 1, 1, "09:05:07");
        addDateRow("m after an hour means minutes", morning(), "hh:mm", 1, 1, "09:05");
        addDateRow("m after an hour across a literal", morning(), QString::fromUtf8("h時m分"), 1, 1,
                   QString::fromUtf8("9時5分"));
        addDateRow("m after seconds is the month again", morning(), "h:mm:ss mm", 1, 1, "9:05:07 01");
        addDateRow("full date and time", afternoon(), "yyyy/mm/dd hh:nn:ss", 1, 1, "2000/12/25 15:04:05");
        addDateRow("AM/PM in the morning", morning(), "h AM/PM", 1, 1, "9 AM");
        addDateRow("AM/PM in the afternoon", afternoon(), "h AM/PM", 1, 1, "3 PM");
        addDateRow("am/pm keeps its case", afternoon(), "hh:nn am/pm", 1, 1, "03:04 pm");
        addDateRow("A/P", afternoon(), "hA/P", 1, 1, "3P");
        addDateRow("a/p", morning(), "ha/p", 1, 1, "9a");
        addDateRow("AMPM in the morning", morning(), "AMPM h:nn", 1, 1, QString::fromUtf8("午前 9:05"));
        addDateRow("AMPM in the afternoon", afternoon(), "hh AMPM", 1, 1, QString::fromUtf8("03 午後"));
        addDateRow("noon is 12 PM", at(2000, 1, 1, 12), "h AM/PM", 1, 1, "12 PM");
        addDateRow("midnight is 12 AM", at(2000, 1, 1), "h AM/PM", 1, 1, "12 AM");
        addDateRow("without a marker the clock has 24 hours", afternoon(), "h", 1, 1, "15");
        addDateRow("general date element", morning(), "c", 1, 1, "2000/01/31 9:05:07");
        addDateRow("general date at midnight", at(2000, 1, 31), "c", 1, 1, "2000/01/31");
        addDateRow("general date of a time alone", 0.5, "c", 1, 1, "12:00:00");
        addDateRow("long time element", morning(), "ttttt", 1, 1, "9:05:07");
        addDateRow("short t runs are copied", morning(), "tt", 1, 1, "tt");
        addDateRow("quoted year mark", morning(), QString::fromUtf8("yyyy\"年\""), 1, 1, QString::fromUtf8("2000年"));
        addDateRow("escaped element letter", morning(), "dd\\d", 1, 1, "31d");
        addDateRow("other characters are copied", morning(), "yyyy_mm.dd", 1, 1, "2000_01.31");
        addDateRow("negative value counts its time forward", -1.25, "yyyy/mm/dd hh:nn", 1, 1, "1899/12/29 06:00");
        addDateRow("year 100 keeps four digits", at(100, 1, 1), "yyyy", 1, 1, "0100");
    }
    void datePatterns() {
        QFETCH(double, value);
        QFETCH(QString, pattern);
        QFETCH(int, firstDay);
        QFETCH(int, firstWeek);
        QFETCH(QString, expected);
        QCOMPARE(formatWithPattern(FormatArgument::fromNumber(value), pattern, {firstDay, firstWeek}), expected);
    }

    void textPatterns_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("pattern");
        QTest::addColumn<QString>("expected");
        addRow("@ fills from the right with blanks", "abc", "@@@@@", "  abc");
        addRow("& fills from the right with nothing", "abc", "&&&&&", "abc");
        addRow("! fills from the left", "abc", "!@@@@@", "abc  ");
        addRow("longer text keeps every character", "abcdef", "@@@", "abcdef");
        addRow("extra characters go to the first placeholder", "abcdef", "@-@@", "abcd-ef");
        addRow("extra characters go to the last placeholder from the left", "abcdef", "!@@-@", "ab-cdef");
        addRow("literal between placeholders", "5551234", "@@@-@@@@", "555-1234");
        addRow("short text leaves blanks on the left", "12", "@@@-@@@@", "   -  12");
        addRow("& from the left drops what is missing", "ab", "!&&-&", "ab-");
        addRow("upper case", "abc", ">", "ABC");
        addRow("lower case", "ABC", "<", "abc");
        addRow("case change leaves literals alone", "abc", ">@@@@\"x\"", " ABCx");
        addRow("quoted brackets around the text", "abc", "\"[\"@@@@\"]\"", "[ abc]");
        addRow("a pattern of literals alone replaces the text", "abc", "x", "x");
        addRow("a number text is replaced by literals too", "5", "x", "x");
        addRow("empty text takes the second section", "", "@;\"(none)\"", "(none)");
        addRow("other text takes the first section", "abc", "@;\"(none)\"", "abc");
        addRow("empty text with one section", "", "@@@", "   ");
        addRow("date letters are copied in a text pattern", "ab", "@@ days", "ab days");
        addRow("text that is no number passes a number pattern", "abc", "000", "abc");
        addRow("text that is no date passes a date pattern", "abc", "yyyy", "abc");
        addRow("hexadecimal text is no number", "FF", "0000", "FF");
    }
    void textPatterns() {
        QFETCH(QString, text);
        QFETCH(QString, pattern);
        QFETCH(QString, expected);
        QCOMPARE(formatWithPattern(FormatArgument::fromText(text), pattern), expected);
    }

    void textsReadAsNumbersOrDates_data() {
        QTest::addColumn<QVariant>("value");
        QTest::addColumn<QString>("pattern");
        QTest::addColumn<QString>("expected");
        addRow("plain form drops leading zeros", QVariant("0012"), "", "12");
        addRow("plain form drops separators", QVariant("1,200"), "", "1200");
        addRow("plain form of a number text with blanks", QVariant(" 2.50 "), "", "2.5");
        addRow("plain form of other text", QVariant("abc"), "", "abc");
        addRow("plain form of a dashed date", QVariant("2000-01-31"), "", "2000/01/31");
        addRow("plain form of a date and time", QVariant("2000/1/31 9:05"), "", "2000/01/31 9:05:00");
        addRow("plain form of a time", QVariant("12:00:00"), "", "12:00:00");
        addRow("plain form of a whole number", QVariant(5.0), "", "5");
        addRow("plain form of a fraction", QVariant(0.5), "", "0.5");
        addRow("plain form of a large number", QVariant(1e20), "", "1E+20");
        addRow("number text with zeros", QVariant("0012"), "000", "012");
        addRow("number text with separators", QVariant("1234.5"), "#,##0.00", "1,234.50");
        addRow("negative number text takes the negative section", QVariant("-5"), "0;(0)", "(5)");
        addRow("number text keeps its characters for a text pattern", QVariant("0012"), "@@@@@@", "  0012");
        addRow("date text with a date pattern", QVariant("2000/01/31"), "yyyymmdd", "20000131");
        addRow("long date text with a date pattern", QVariant(QString::fromUtf8("2000年1月31日")), "yyyy-mm-dd",
               "2000-01-31");
        addRow("number text as a date value", QVariant("36556"), "yyyy/mm/dd", "2000/01/31");
        addRow("date text as a number", QVariant("2000/01/31 12:00"), "0.0", "36556.5");
        addRow("time text with a time pattern", QVariant("9:05 PM"), "hh:nn", "21:05");
    }
    void textsReadAsNumbersOrDates() {
        QFETCH(QVariant, value);
        QFETCH(QString, pattern);
        QFETCH(QString, expected);
        QCOMPARE(formatWithPattern(argumentOf(value), pattern), expected);
    }

    void namedPatterns_data() {
        QTest::addColumn<QVariant>("value");
        QTest::addColumn<QString>("pattern");
        QTest::addColumn<QString>("expected");
        const QString yen = QLocale(QLocale::Japanese).currencySymbol();
        addRow("general date", QVariant(at(2000, 1, 31, 12)), "General Date", "2000/01/31 12:00:00");
        addRow("names ignore case", QVariant(at(2000, 1, 31)), "general date", "2000/01/31");
        addRow("general date of a date text", QVariant("2000-1-31"), "General Date", "2000/01/31");
        addRow("short date", QVariant(morning()), "Short Date", "2000/01/31");
        addRow("long date", QVariant(morning()), "Long Date", QString::fromUtf8("2000年1月31日"));
        addRow("medium date", QVariant(morning()), "Medium Date", "00/01/31");
        addRow("short time has 24 hours", QVariant(afternoon()), "Short Time", "15:04");
        addRow("short time pads the hour", QVariant(morning()), "SHORT TIME", "09:05");
        addRow("medium time in the morning", QVariant(morning()), "Medium Time", QString::fromUtf8("午前 09:05"));
        addRow("medium time in the afternoon", QVariant(afternoon()), "Medium Time", QString::fromUtf8("午後 03:04"));
        addRow("long time", QVariant(morning()), "Long Time", "9:05:07");
        addRow("general number", QVariant(1234.5), "General Number", "1234.5");
        addRow("general number of a number text", QVariant("1,234.5"), "General Number", "1234.5");
        addRow("general number of other text", QVariant("abc"), "General Number", "abc");
        addRow("currency rounds to whole yen", QVariant(1234.5), "Currency", yen + "1,235");
        addRow("negative currency", QVariant(-1234.5), "Currency", "-" + yen + "1,235");
        addRow("fixed", QVariant(1234.5), "Fixed", "1234.50");
        addRow("fixed keeps a digit before the point", QVariant(0.5), "FIXED", "0.50");
        addRow("standard", QVariant(1234.5), "Standard", "1,234.50");
        addRow("percent", QVariant(0.125), "Percent", "12.50%");
        addRow("scientific", QVariant(1234.5), "Scientific", "1.23E+03");
        addRow("yes for non-zero", QVariant(5.0), "Yes/No", "Yes");
        addRow("yes for negative", QVariant(-1.0), "Yes/No", "Yes");
        addRow("no for zero", QVariant(0.0), "Yes/No", "No");
        addRow("true", QVariant(-1.0), "True/False", "True");
        addRow("false", QVariant(0.0), "True/False", "False");
        addRow("on", QVariant(1.0), "On/Off", "On");
        addRow("off for a zero text", QVariant("0"), "On/Off", "Off");
        addRow("yes/no passes other text", QVariant("abc"), "Yes/No", "abc");
    }
    void namedPatterns() {
        QFETCH(QVariant, value);
        QFETCH(QString, pattern);
        QFETCH(QString, expected);
        QCOMPARE(formatWithPattern(argumentOf(value), pattern), expected);
    }

    void hostileInputs_data() {
        QTest::addColumn<QVariant>("value");
        QTest::addColumn<QString>("pattern");
        QTest::addColumn<QString>("expected");
        const double nan = std::numeric_limits<double>::quiet_NaN();
        const double inf = std::numeric_limits<double>::infinity();
        addRow("NaN gives the plain form", QVariant(nan), "0.00", numberText(nan));
        addRow("infinity gives the plain form", QVariant(inf), "#,##0", numberText(inf));
        addRow("minus infinity as a date", QVariant(-inf), "yyyy", numberText(-inf));
        addRow("date after year 9999", QVariant(1e10), "yyyy/mm/dd", "10000000000");
        addRow("date before year 100", QVariant(-1e6), "c", "-1000000");
        addRow("huge number written out", QVariant(1e300), "0", "1" + QString(300, QLatin1Char('0')));
        addRow("thousands of zero placeholders", QVariant(5.0), repeated("0", 10000),
               QString(9999, QLatin1Char('0')) + "5");
        addRow("thousands of decimals", QVariant(0.5), "." + repeated("0", 10000),
               ".5" + QString(9999, QLatin1Char('0')));
        addRow("thousands of scaling commas", QVariant(1e300), "0" + repeated(",", 10000), "0");
        addRow("thousands of exponent digits", QVariant(1234.5), "0E+" + repeated("0", 5000),
               "1E+" + QString(4999, QLatin1Char('0')) + "3");
        addRow("thousands of year elements", QVariant(morning()), repeated("yyyy", 2500), repeated("2000", 2500));
        addRow("thousands of text placeholders", QVariant("abc"), repeated("@", 10000),
               QString(9997, QLatin1Char(' ')) + "abc");
        addRow("thousands of sections", QVariant(-5.0), "0;(0)" + repeated(";", 10000), "(5)");
        addRow("unterminated quote runs to the end", QVariant(5.0), "0\"abc", "5abc");
        addRow("trailing backslash is dropped", QVariant(5.0), "0\\", "5");
        addRow("lone quote is an empty pattern", QVariant(2.5), "\"", "2.5");
        addRow("lone quote leaves a text alone", QVariant("abc"), "\"", "abc");
    }
    void hostileInputs() {
        QFETCH(QVariant, value);
        QFETCH(QString, pattern);
        QFETCH(QString, expected);
        QCOMPARE(formatWithPattern(argumentOf(value), pattern), expected);
    }

    void hugeNumberWithSeparators() {
        const QString text = formatWithPattern(FormatArgument::fromNumber(1e308), "#,##0.00");
        QVERIFY(text.startsWith("100,000,000,000,000,"));
        QVERIFY(text.endsWith(",000.00"));
        QCOMPARE(text.size(), qsizetype(309 + 102 + 3));
    }

    void cacheNeverMixesPatterns() {
        // More patterns than any cache holds, in turns, and two that differ only in case.
        QStringList patterns;
        for (int i = 1; i <= 12; ++i)
            patterns << QString(i, QLatin1Char('0'));
        patterns << "yes/no"
                 << "YES/NO";
        for (int round = 0; round < 3; ++round) {
            for (const QString& pattern : patterns) {
                const QString text = formatWithPattern(FormatArgument::fromNumber(7.0), pattern);
                if (pattern.startsWith(QLatin1Char('0')))
                    QCOMPARE(text, QString(pattern.size() - 1, QLatin1Char('0')) + "7");
                else
                    QCOMPARE(text, QString("Yes"));
            }
        }
    }

    void readDateText_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QVariant>("expected");
        const QVariant none;
        QTest::newRow("short date") << "2000/01/31" << QVariant(at(2000, 1, 31));
        QTest::newRow("short date without zeros") << "2000/1/31" << QVariant(at(2000, 1, 31));
        QTest::newRow("general date text") << "2000/01/31 12:00:00" << QVariant(at(2000, 1, 31, 12));
        QTest::newRow("date with hours and minutes") << "2000/01/31 9:05" << QVariant(at(2000, 1, 31, 9, 5));
        QTest::newRow("dashed date") << "2000-01-31" << QVariant(at(2000, 1, 31));
        QTest::newRow("dashed date and time") << "2000-01-31 12:00:00" << QVariant(at(2000, 1, 31, 12));
        QTest::newRow("ISO date and time") << "2000-01-31T23:59:59" << QVariant(at(2000, 1, 31, 23, 59, 59));
        QTest::newRow("Japanese long date") << QString::fromUtf8("2000年1月31日") << QVariant(at(2000, 1, 31));
        QTest::newRow("Japanese long date and time")
            << QString::fromUtf8("2000年1月31日 9:05:07") << QVariant(at(2000, 1, 31, 9, 5, 7));
        QTest::newRow("two-digit year in this century") << "00/01/31" << QVariant(at(2000, 1, 31));
        QTest::newRow("two-digit year in the last century") << "99/12/31" << QVariant(at(1999, 12, 31));
        QTest::newRow("blanks around") << "  2000/01/31  " << QVariant(at(2000, 1, 31));
        QTest::newRow("time alone") << "12:00:00" << QVariant(0.5);
        QTest::newRow("hours and minutes alone") << "9:05" << QVariant(at(1899, 12, 30, 9, 5));
        QTest::newRow("PM after the time") << "9:05 PM" << QVariant(at(1899, 12, 30, 21, 5));
        QTest::newRow("pm without a blank") << "9:05pm" << QVariant(at(1899, 12, 30, 21, 5));
        QTest::newRow("Japanese afternoon before the time")
            << QString::fromUtf8("午後 9:05") << QVariant(at(1899, 12, 30, 21, 5));
        QTest::newRow("Japanese morning without a blank")
            << QString::fromUtf8("午前09:05") << QVariant(at(1899, 12, 30, 9, 5));
        QTest::newRow("12 AM is midnight") << "12:00 AM" << QVariant(0.0);
        QTest::newRow("12 PM is noon") << "12:00 PM" << QVariant(0.5);
        QTest::newRow("date with an afternoon time") << "2000/01/31 3:04:05 PM" << QVariant(at(2000, 1, 31, 15, 4, 5));
        QTest::newRow("February 30 is no date") << "2000/02/30" << none;
        QTest::newRow("month 13 is no date") << "2000/13/01" << none;
        QTest::newRow("hour 25 is no time") << "25:00" << none;
        QTest::newRow("minute 60 is no time") << "12:60" << none;
        QTest::newRow("13 PM is no time") << "13:00 PM" << none;
        QTest::newRow("a time with an invalid hour spoils the date") << "2000/01/31 25:00" << none;
        QTest::newRow("whole number is no date") << "2000" << none;
        QTest::newRow("decimal number is no date") << "1.5" << none;
        QTest::newRow("empty text is no date") << "" << none;
        QTest::newRow("trailing text spoils a date") << "2000/01/31x" << none;
        QTest::newRow("mixed separators") << "2000-01/31" << none;
        QTest::newRow("two-digit year needs slashes") << "24-01-31" << none;
        QTest::newRow("years before 100 are out of range") << "0099/01/01" << none;
        QTest::newRow("four time parts") << "9:05:07:01" << none;
        QTest::newRow("date glued to its time") << "2000/01/3112:00" << none;
        QTest::newRow("words are no date") << "abc" << none;
    }
    void readDateText() {
        QFETCH(QString, text);
        QFETCH(QVariant, expected);
        const std::optional<double> read = ::readDateText(text);
        QCOMPARE(read.has_value(), expected.isValid());
        if (read)
            QVERIFY2(std::fabs(*read - expected.toDouble()) < 1e-9, qPrintable(QString::number(*read, 'f', 9)));
    }

    void formattedDatesReadBack_data() {
        QTest::addColumn<QString>("pattern");
        QTest::addColumn<double>("expected");
        QTest::newRow("general date") << "General Date" << afternoon();
        QTest::newRow("short date") << "Short Date" << at(2000, 12, 25);
        QTest::newRow("long date") << "Long Date" << at(2000, 12, 25);
        QTest::newRow("medium date") << "Medium Date" << at(2000, 12, 25);
        QTest::newRow("long time") << "Long Time" << at(1899, 12, 30, 15, 4, 5);
        QTest::newRow("medium time") << "Medium Time" << at(1899, 12, 30, 15, 4);
        QTest::newRow("short time") << "Short Time" << at(1899, 12, 30, 15, 4);
        QTest::newRow("dashed date and time") << "yyyy-mm-dd hh:nn:ss" << afternoon();
        QTest::newRow("date and 12-hour time") << "ddddd h:nn:ss AM/PM" << afternoon();
        QTest::newRow("long date and time") << "dddddd ttttt" << afternoon();
    }
    void formattedDatesReadBack() {
        QFETCH(QString, pattern);
        QFETCH(double, expected);
        const QString text = formatWithPattern(FormatArgument::fromNumber(afternoon()), pattern);
        const std::optional<double> read = ::readDateText(text);
        QVERIFY2(read.has_value(), qPrintable(text));
        QVERIFY2(std::fabs(*read - expected) < 1e-9, qPrintable(text));
    }
};

QTEST_GUILESS_MAIN(TestValueFormatter)
#include "tst_valueformatter.moc"
