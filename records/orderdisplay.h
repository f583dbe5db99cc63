#pragma once

#include <QString>

// How order fields read on screen. Everything here is display only: the
// stored values are never changed.
namespace OrderDisplay {

enum class Gender { Male, Female, Undisclosed };

// The stored values are "男" and "女"; anything else counts as undisclosed.
Gender genderOf(const QString &stored);

// A page's own texts for the genders, shown when no language pack has one.
struct GenderDefaults
{
    const char *male;
    const char *female;
    const char *undisclosed;
};
inline constexpr GenderDefaults EnglishGenderDefaults{"Male", "Female", "Private"};
inline constexpr GenderDefaults ChineseGenderDefaults{"男", "女", "保密"};

// The stored gender in the current language.
QString genderText(const QString &stored, const GenderDefaults &defaults);

// `value`, or "-" when it is empty.
QString orDash(const QString &value);
// The age in years, or "-" when not given (negative).
QString ageText(int age);

// createdAt as the order list shows it: "2025.03.04 10:11:12"; "-" when empty.
QString listCreatedAt(const QString &createdAt);
// createdAt as the detail page shows it: "2025-03-04 10:11:12"; "-" when empty.
QString detailCreatedAt(const QString &createdAt);

// One line of text for a single-line label: line breaks become spaces.
QString singleLine(const QString &text);
// A wrapped label only breaks at spaces, so an endless word would widen the
// whole page; this inserts invisible break points into runs longer than
// `longestRun` and cuts the text after `maxChars` characters with an ellipsis.
QString wrappable(const QString &text, int maxChars, int longestRun = 24);

} // namespace OrderDisplay
