// The text operations every area uses on replies, records and commands: each
// group steps through the edge values of one operation.
#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <string>

#include "base/text.h"

// --- pieces ------------------------------------------------------------------

TEST(LeftRightText, CountsClampToTheText) {
    EXPECT_EQ(leftText("FA00007100000;", 2), "FA");
    EXPECT_EQ(leftText("abc", 3), "abc");
    EXPECT_EQ(leftText("abc", 50), "abc");
    EXPECT_EQ(leftText("abc", 0), "");
    EXPECT_EQ(leftText("abc", -1), "");
    EXPECT_EQ(leftText("", 4), "");
    EXPECT_EQ(leftText("abc", INT_MAX), "abc");

    EXPECT_EQ(rightText("FA00007100000", 11), "00007100000");
    EXPECT_EQ(rightText("abc", 3), "abc");
    EXPECT_EQ(rightText("abc", 50), "abc");
    EXPECT_EQ(rightText("abc", 0), "");
    EXPECT_EQ(rightText("abc", -7), "");
    EXPECT_EQ(rightText("", 2), "");
    EXPECT_EQ(rightText("abc", INT_MAX), "abc");
}

TEST(MidText, StartAndLengthFollowTheClampingRules) {
    const std::string record = "01A00007100000B000071000009990";
    EXPECT_EQ(midText(record, 3, 12), "A00007100000");
    EXPECT_EQ(midText(record, 27, 3), "999");
    EXPECT_EQ(midText(record, 30, 1), "0");
    // Start before 1 starts at 1, with the length kept.
    EXPECT_EQ(midText("abcdef", 0, 2), "ab");
    EXPECT_EQ(midText("abcdef", -5, 3), "abc");
    EXPECT_EQ(midText("abcdef", INT_MIN, 1), "a");
    // Past the end: empty.
    EXPECT_EQ(midText("abcdef", 7, 1), "");
    EXPECT_EQ(midText("abcdef", 7), "");
    EXPECT_EQ(midText("abcdef", INT_MAX, 5), "");
    EXPECT_EQ(midText("", 1, 1), "");
    // A negative length, no length, or one reaching past the end runs to the end.
    EXPECT_EQ(midText("abcdef", 4), "def");
    EXPECT_EQ(midText("abcdef", 4, -1), "def");
    EXPECT_EQ(midText("abcdef", 4, -100), "def");
    EXPECT_EQ(midText("abcdef", 4, 3), "def");
    EXPECT_EQ(midText("abcdef", 4, INT_MAX), "def");
    EXPECT_EQ(midText("abcdef", 4, 0), "");
    EXPECT_EQ(midText("abcdef", 6, 1), "f");
}

TEST(FindText, GivesTheFirstPositionFromOneOrZero) {
    EXPECT_EQ(findText("AG090;", "AG"), 1);
    EXPECT_EQ(findText("SM0005;AG090;", "AG"), 8);
    EXPECT_EQ(findText("ID020;", ";"), 6);  // at the very end
    EXPECT_EQ(findText("ID020;", "OM"), 0);
    EXPECT_EQ(findText("", "ID"), 0);
    EXPECT_EQ(findText("ID", ""), 0);
    EXPECT_EQ(findText("I", "ID"), 0);      // longer than the text
    EXPECT_EQ(findText("AGAG", "AG"), 1);   // the first of two
    // From a start position.
    EXPECT_EQ(findText("AGAG", "AG", 2), 3);
    EXPECT_EQ(findText("AGAG", "AG", 3), 3);
    EXPECT_EQ(findText("AGAG", "AG", 4), 0);
    EXPECT_EQ(findText("AGAG", "AG", 99), 0);
    EXPECT_EQ(findText("AGAG", "AG", -3), 1);
}

TEST(StartsWith, ComparesThePrefixOnly) {
    EXPECT_TRUE(startsWith("FA00007100000", "F"));
    EXPECT_TRUE(startsWith("FA", "FA"));
    EXPECT_TRUE(startsWith("anything", ""));
    EXPECT_FALSE(startsWith("F", "FA"));
    EXPECT_FALSE(startsWith("", "F"));
    EXPECT_FALSE(startsWith("fA", "FA"));
}

// --- the number reader -------------------------------------------------------

TEST(TextValue, ReadsSignDigitsAndFraction) {
    EXPECT_DOUBLE_EQ(textValue("12"), 12.0);
    EXPECT_DOUBLE_EQ(textValue("007"), 7.0);
    EXPECT_DOUBLE_EQ(textValue("-5"), -5.0);
    EXPECT_DOUBLE_EQ(textValue("7.1"), 7.1);
    EXPECT_DOUBLE_EQ(textValue("0.3"), 0.3);
    EXPECT_DOUBLE_EQ(textValue("-2.25"), -2.25);
    EXPECT_DOUBLE_EQ(textValue("3."), 3.0);          // point without digits
    EXPECT_DOUBLE_EQ(textValue("19.3;"), 19.3);
    EXPECT_DOUBLE_EQ(textValue("00007100000"), 7100000.0);
}

TEST(TextValue, SkipsBlanksAndTabsThenStopsAtTheFirstOtherCharacter) {
    EXPECT_DOUBLE_EQ(textValue("   42"), 42.0);
    EXPECT_DOUBLE_EQ(textValue("\t 42"), 42.0);
    EXPECT_DOUBLE_EQ(textValue(" \t-8"), -8.0);
    EXPECT_DOUBLE_EQ(textValue("12ab"), 12.0);
    EXPECT_DOUBLE_EQ(textValue("12 34"), 12.0);
    EXPECT_DOUBLE_EQ(textValue("1.2.3"), 1.2);
    EXPECT_DOUBLE_EQ(textValue("5;"), 5.0);
}

TEST(TextValue, NoLeadingDigitGivesZero) {
    EXPECT_EQ(textValue(""), 0.0);
    EXPECT_EQ(textValue("   "), 0.0);
    EXPECT_EQ(textValue("-"), 0.0);
    EXPECT_EQ(textValue("-."), 0.0);
    EXPECT_EQ(textValue(".5"), 0.0);
    EXPECT_EQ(textValue("x5"), 0.0);
    EXPECT_EQ(textValue("COM5"), 0.0);
    EXPECT_EQ(textValue("+5"), 0.0);
    EXPECT_EQ(textValue("--5"), 0.0);
    EXPECT_EQ(textValue("- 5"), 0.0);
    EXPECT_EQ(textValue("\n5"), 0.0);  // only blanks and tabs are skipped
    EXPECT_EQ(textValue("?;"), 0.0);
}

TEST(TextValue, HugeDigitStringsStayFinite) {
    const std::string huge(400, '9');
    EXPECT_GT(textValue(huge), 1e299);
    EXPECT_LT(textValue("-" + huge), -1e299);
    EXPECT_DOUBLE_EQ(textValue("1." + std::string(300, '0') + "1"), 1.0);
    EXPECT_DOUBLE_EQ(textValue("0." + std::string(40, '9')), 1.0);
}

TEST(TextInt, RoundsHalvesAwayFromZeroAndHoldsThe32BitRange) {
    EXPECT_EQ(textInt("2.5"), 3);
    EXPECT_EQ(textInt("2.49"), 2);
    EXPECT_EQ(textInt("-2.5"), -3);
    EXPECT_EQ(textInt("-0"), 0);
    EXPECT_EQ(textInt("020"), 20);
    EXPECT_EQ(textInt("2147483647"), INT_MAX);
    EXPECT_EQ(textInt("2147483648"), INT_MAX);
    EXPECT_EQ(textInt("99999999999"), INT_MAX);
    EXPECT_EQ(textInt("-2147483648"), INT_MIN);
    EXPECT_EQ(textInt("-99999999999"), INT_MIN);
    EXPECT_EQ(textInt(std::string(400, '9')), INT_MAX);
    EXPECT_EQ(textInt("abc"), 0);
    EXPECT_EQ(roundToInt(std::nan("")), 0);
    EXPECT_EQ(roundToInt(1e300), INT_MAX);
    EXPECT_EQ(roundToInt(-1e300), INT_MIN);
}

// --- numbers to text ---------------------------------------------------------

TEST(NumberText, NonNegativeNumbersGetALeadingBlank) {
    EXPECT_EQ(numberText(5), " 5");
    EXPECT_EQ(numberText(0), " 0");
    EXPECT_EQ(numberText(-5), "-5");
    EXPECT_EQ(numberText(9600), " 9600");
    EXPECT_EQ(numberText(LLONG_MIN), "-9223372036854775808");
    EXPECT_EQ(plainNumber(5), "5");
    EXPECT_EQ(plainNumber(-5), "-5");
    EXPECT_EQ(plainNumber(0), "0");
}

TEST(NumberText, RoundTripsThroughTheReader) {
    for (long long n : {0LL, 1LL, -1LL, 42LL, 7100000LL, -2147483647LL, 2147483647LL}) {
        EXPECT_EQ(textInt(numberText(n)), n) << n;
        EXPECT_EQ(textInt(plainNumber(n)), n) << n;
        EXPECT_EQ(textInt(zeroPad(n < 0 ? -n : n, 11)), n < 0 ? -n : n) << n;
    }
}

TEST(ZeroPad, FillsTheFieldExactly) {
    EXPECT_EQ(zeroPad(5, 3), "005");
    EXPECT_EQ(zeroPad(100, 3), "100");
    EXPECT_EQ(zeroPad(0, 4), "0000");
    EXPECT_EQ(zeroPad(7100000, 11), "00007100000");
    EXPECT_EQ(zeroPad(5, 1), "5");
    // Negative values give zeros, values too wide give nines: a command
    // never grows past its fixed width.
    EXPECT_EQ(zeroPad(-1, 3), "000");
    EXPECT_EQ(zeroPad(LLONG_MIN, 2), "00");
    EXPECT_EQ(zeroPad(1000, 3), "999");
    EXPECT_EQ(zeroPad(10, 1), "9");
    EXPECT_EQ(zeroPad(LLONG_MAX, 5), "99999");
    EXPECT_EQ(zeroPad(LLONG_MAX, 19), "9223372036854775807");
    // No field, and a field no text could hold.
    EXPECT_EQ(zeroPad(5, 0), "");
    EXPECT_EQ(zeroPad(5, -2), "");
    EXPECT_EQ(zeroPad(5, 40), std::string(39, '0') + "5");
    EXPECT_EQ(zeroPad(5, 1000).size(), static_cast<std::size_t>(kTextCapacity));
}

// --- capacity ----------------------------------------------------------------

TEST(Capacity, TextsAreCutAtTheirCapacity) {
    std::string t;
    putText(t, std::string(300, 'x'));
    EXPECT_EQ(t.size(), 255u);
    putText(t, "short");
    EXPECT_EQ(t, "short");
    putText(t, std::string(300, 'r'), kReplyCapacity);
    EXPECT_EQ(t.size(), 256u);
    putText(t, "abc", 0);
    EXPECT_EQ(t, "");
    putText(t, "abc", -4);
    EXPECT_EQ(t, "");

    std::string s(256, 'y');
    capText(s);
    EXPECT_EQ(s.size(), 255u);
    capText(s, 10);
    EXPECT_EQ(s, std::string(10, 'y'));
    capText(s, 20);  // never grows
    EXPECT_EQ(s.size(), 10u);
    capText(s, -1);
    EXPECT_EQ(s, "");
}

TEST(CaseAndDigits, ChangeOnlyLettersAndTestEveryCharacter) {
    EXPECT_EQ(lowerText("CfgNF.WAV"), "cfgnf.wav");
    EXPECT_EQ(upperText("md3;ok"), "MD3;OK");
    EXPECT_EQ(lowerText(""), "");
    EXPECT_EQ(lowerText("\xC9Z"), "\xC9z");  // bytes above ASCII are left alone
    EXPECT_TRUE(allDigits("0123456789"));
    EXPECT_FALSE(allDigits(""));
    EXPECT_FALSE(allDigits("12 "));
    EXPECT_FALSE(allDigits("-1"));
    EXPECT_FALSE(allDigits("1.0"));
}
