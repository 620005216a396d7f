// The program's explanations of itself: the five texts of the Intro tab, the detailed procedure
// of the type determination, the confidence help and the note beside the confidence-belt figure,
// and the way a help memo is typeset.
//
// Each text is a heading line, kept letter for letter as the program has always shown it, and a
// body in simple HTML.
#pragma once

#include <QColor>
#include <QString>

class QTextEdit;

namespace vornax::forms {

struct HelpText {
  const char* heading;
  const char* body;  // HTML: paragraphs, emphasis, small tables
};

extern const HelpText kIntroText;
extern const HelpText kTypesText;
extern const HelpText kTestsText;
extern const HelpText kSequenceText;
extern const HelpText kMethodsText;
extern const HelpText kMoreInfoText;
extern const HelpText kConfidenceHelpText;

// The three lines beside the confidence-belt figure.
extern const char* const kConfMemoLines[3];

// Fills a read-only memo: the heading centred in bold over the body, on the given background.
// The plain text of the memo is the heading line, exactly, followed by the body's text.
void ShowHelpText(QTextEdit* memo, const HelpText& text, const QColor& background);

}  // namespace vornax::forms
