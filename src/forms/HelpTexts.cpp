#include "forms/HelpTexts.h"

#include <QFont>
#include <QPalette>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextEdit>

namespace vornax::forms {

const HelpText kIntroText = {
    "                INTRODUCTION TO THE VornaxA PROGRAM",
    R"(<p>Vornax does <b>segmented linear regression</b>: it relates one dependent variable
<b>Y</b> (for example a crop yield) to one independent variable <b>X</b>, or to two independent
variables <b>X</b> and <b>Z</b> (for example the depth of the water table and the salinity of the
soil).</p>
<p>In a segmented regression the range of the independent variable is divided by a
<b>breakpoint</b> BP into two segments, each with a straight line of its own, so that the fitted
function is a <i>broken line</i>. Y may, for instance, not respond to X below a threshold and
respond above it, or respond up to a certain level and no further.</p>
<p>Vornax knows <b>seven function types</b>, numbered 0 to 6, from "no relation" to two
disconnected segments (see <i>Function types</i>, and the pictures on the Figures tab). It tries
100 candidate breakpoints over the range of X, fits the lines of every type at each of them, and
keeps the breakpoint and the type with the <b>largest coefficient of explanation</b> among those
that pass the <b>significance tests</b> (see <i>Significance tests</i>). With two independent
variables it regresses Y on one of them and then the residuals on the other (see <i>Calculation
sequence</i>).</p>
<p>Unlike the basic Vornax program, this amplified version (VornaxA) also lets you</p>
<table cellspacing="2" cellpadding="1" style="margin-left:18px">
<tr><td>&#8226;&nbsp;</td><td>select a <b>preferred segmented type</b>, or exclude a type to find the next best;</td></tr>
<tr><td>&#8226;&nbsp;</td><td>find by <b>partial regression</b> the longest stretch of X over which Y does not respond
(the range of "no effect");</td></tr>
<tr><td>&#8226;&nbsp;</td><td>fit <b>curved functions</b>: S-curves (logistic, Gumbel, inverted Gumbel and Fisk), the
power curve and the quadratic and cubic regressions, <b>generalised by a transformation of the
X-data</b> that optimises the fit.</td></tr>
</table>
<p>Every analysis ends with a variance analysis (an ANOVA table with F-tests), and the results can
be drawn as graphs with the confidence belt of the lines and the confidence interval of the
breakpoint. The statistics are those of ordinary least-squares regression as set out in the
textbooks of regression analysis; how the confidence belt and the standard error of the
breakpoint are found is told under <i>Confidence help</i> on the Graphics tab.</p>
<p><b>Click on the Input tab to proceed:</b> type or paste the data, choose the options, and
press "Save-Calculate".</p>)"};

const HelpText kTypesText = {
    "               EXPLANATION OF THE FUNCTION TYPES USED",
    R"(<p class="type"><b>Type 0</b> - a single horizontal line without break-point: no relation</p>
<p class="type"><b>Type 1</b> - a single sloping line without break-point</p>
<p class="type"><b>Type 2</b> - two connected segments with sloping lines</p>
<p class="type"><b>Type 3</b> - a horizontal segment followed by a sloping line</p>
<p class="type"><b>Type 4</b> - a sloping segment followed by a horizontal line</p>
<p class="type"><b>Type 5</b> - two horizontal segments at different levels</p>
<p class="type"><b>Type 6</b> - two disconnected segments of which at least one sloping,</p>
<p>The Figures tab shows all types in one picture.</p>
<p>For the types 2 and higher a breakpoint is needed. With two independent variables there are
<b>two calculation sequences</b>: Y is regressed first on X and then the residuals on Z, or first
on Z and then on X (see <i>Calculation sequence</i>). For the types 2, 3 and 4, where the two
segments meet at the breakpoint, there are <b>two calculation methods</b> to make them meet (see
<i>Calculation methods</i>); Vornax tries both and keeps the better.</p>
<p>Of all types, breakpoints and methods, Vornax selects the combination with the <b>maximal
coefficient of explanation</b> that passes the significance tests of its type (see
<i>Significance tests</i>).</p>
<p>A type that is statistically best may still make no sense for the subject at hand. On the
Input tab you can therefore <b>exclude a type</b> (2 to 6) to find the next best, or select a
preferred type.</p>)"};

const HelpText kTestsText = {
    "             SIGNIFICANCE TESTS FOR THE FUNCTION TYPES USED",
    R"(<p>A quantity counts as <b>significant</b> when it exceeds <i>t</i> times its standard error,
where <i>t</i> is 1.75, 2.1 or 2.5 for the minimum confidence of 90, 95 or 98 % chosen on the
Input tab. A type is used under these conditions:</p>
<table cellspacing="3" cellpadding="2" style="margin-left:8px">
<tr><td><b>Type 0</b></td><td>the regression coefficient (slope) of the single line of type 1 is
insignificant: there is no relation.</td></tr>
<tr><td><b>Type 1</b></td><td>its coefficient of explanation is not exceeded by that of any of the
types 2 to 6 that passes its tests.</td></tr>
<tr><td><b>Type 2</b></td><td>both slopes are significant and they differ significantly from each
other; two slopes of the same sign must, moreover, differ by more than a factor 1.2.</td></tr>
<tr><td><b>Type 3</b></td><td>the slope left of the breakpoint is insignificant and the slope right
of it significant.</td></tr>
<tr><td><b>Type 4</b></td><td>the reverse of type 3: the left slope is significant and the right
slope insignificant.</td></tr>
<tr><td><b>Type 5</b></td><td>both slopes are insignificant and the average Y values of the two
segments differ significantly.</td></tr>
<tr><td><b>Type 6</b></td><td>one or both slopes are significant (an insignificant slope is set to
zero), and the two lines differ significantly at the breakpoint: the confidence intervals of
their Y values at the breakpoint do not overlap, or the two values differ by more than 10 %.</td></tr>
</table>
<p>Every segment of the types 2 to 6 must hold at least a tenth of the data sets, and never fewer
than five.</p>
<p>The types are tried in the order 3, 4, 5, 2 and 6; a type replaces the best one found so far
only when its coefficient of explanation is larger, and type 6 only when it is larger by 10 %.</p>
<p>For the types 2, 3 and 4 the confidence interval of the breakpoint should lie well inside the
range of the data. When it reaches beyond the smallest or the largest X, Vornax warns that the
breakpoint may be insignificant.</p>
<p>Click on <b>More info</b> for the procedure in detail.</p>)"};

const HelpText kSequenceText = {
    "               EXPLANATION OF THE CALCULATION SEQUENCES",
    R"(<p>With two independent variables X and Z, Vornax does not fit Y on both at once. It performs
two segmented regressions one after the other, the second on the residuals of the first:</p>
<table cellspacing="3" cellpadding="2" style="margin-left:8px">
<tr><td><b>Sequence 1</b></td><td>Y is regressed on X; then the residuals <b>YXr</b> (Y minus the
function of X) are regressed on Z.</td></tr>
<tr><td><b>Sequence 2</b></td><td>Y is regressed on Z; then the residuals <b>YZr</b> (Y minus the
function of Z) are regressed on X.</td></tr>
</table>
<p>In the words of the input help: Y = f(X) + E with E = f(Z), or the other way round.</p>
<p>The sequence is chosen before anything is reported: the variable on which Y alone reaches the
higher coefficient of explanation, with the type that passes the significance tests, goes first.
Each stage finds its own type and breakpoint (BPx, BPz), so that the combined function may break
along X, along Z, or along both.</p>
<p>The report shows both stages, the regression of X on Z (the standard deviation st.dev.XZr shows
how far the two independent variables are correlated), the combined equations for each side of
the breakpoints, and the overall coefficient of explanation.</p>)"};

const HelpText kMethodsText = {
    "               EXPLANATION OF THE CALCULATION METHODS",
    R"(<p>For the types 3 and 4 the horizontal and the sloping segment must meet at the breakpoint.
Vornax makes them meet in two ways:</p>
<table cellspacing="3" cellpadding="2" style="margin-left:8px">
<tr><td><b>Method&nbsp;1</b></td><td>the regression line of the sloping segment is intersected with
the vertical line at the breakpoint, and from there the function continues horizontally over the
other segment.</td></tr>
<tr><td><b>Method&nbsp;2</b></td><td>a horizontal line is drawn through the central point (average X,
average Y) of the horizontal segment and intersected with the vertical line at the breakpoint;
from there the function continues with a sloping line through the central point of the other
segment.</td></tr>
</table>
<p>Type 2 is treated alike, without a horizontal segment: in method 1 the regression line of the
left segment is kept and the line of the right segment turns about its central point to meet it
at the breakpoint; in method 2 it is the other way round.</p>
<p>Vornax calculates both methods and keeps the one with the higher coefficient of explanation.
The breakpoint BP and the point where the two free regression lines intersect (<b>Xcross</b>) need
not coincide.</p>
<p>The picture <i>Methods type 3 or 4</i> on the Figures tab shows both methods for the same
data.</p>)"};

const HelpText kMoreInfoText = {
    " Vornax AND THE DETERMINATION OF THE REGRESSION TYPE",
    R"(<p><b>Notation</b></p>
<table cellspacing="2" cellpadding="1" style="margin-left:8px">
<tr><td>RC1, RC2</td><td>regression coefficients (slopes) left and right of the breakpoint</td></tr>
<tr><td>RL1, RL2</td><td>the regression lines left and right of the breakpoint</td></tr>
<tr><td>AvY1, AvY2</td><td>average Y left and right of the breakpoint</td></tr>
<tr><td>SSD1, SSD2</td><td>sums of squared deviations of Y from the lines left and right</td></tr>
<tr><td>Ybp</td><td>value of Y at the breakpoint</td></tr>
<tr><td>SRYsqT</td><td>total sum of squared deviations of Y from its average</td></tr>
<tr><td>CE1 ... CE6</td><td>coefficients of explanation of the types 1 to 6</td></tr>
<tr><td>BP2 ... BP6</td><td>candidate breakpoints of the types 2 to 6</td></tr>
</table>
<p><b>Type 1.</b> One regression line through all data, with the sum of squared deviations SSD:
CE1 = 1 - SSD/SRYsqT. When RC, the slope of this line, is not significant (|RC| does not exceed
<i>t</i> times its standard error), the type is 0: no relation.</p>
<p><b>Types 2 to 6.</b> The candidate breakpoints are 100 values from the smallest X upward in
steps of a hundredth of the range of X. At each candidate the data are split into the segment
left of it (X &lt; BP) and the segment right of it (X &gt;= BP), and a regression is made on each
side, giving RC1, RC2, AvY1 and AvY2. The lines are then adapted to the type: type 3 has RC1 = 0,
type 4 has RC2 = 0, type 5 has both slopes 0 (the lines are the levels AvY1 and AvY2), types 2, 3
and 4 meet at the breakpoint in Ybp by method 1 or method 2, and type 6 keeps both lines with an
insignificant slope set to 0. From the deviations about the adapted lines,
CE = 1 - (SSD1 + SSD2)/SRYsqT.</p>
<p>The candidate must pass the conditions of its type: type 3: RC1 insignificant and RC2
significant; type 4: RC1 significant and RC2 insignificant; type 5: RC1 and RC2 insignificant and
AvY1 and AvY2 significantly different; type 2: RC1 and RC2 significant and significantly different
and, when of the same sign, W.RC2 &lt; RC1 or W.RC1 &lt; RC2; type 6: the lines significantly apart
at the breakpoint. Every segment needs at least a tenth of the data and at least five data sets.
A candidate that fails gets CE = 0.</p>
<p>This gives per type an array of CE values over the candidates BP2 ... BP6, with the maxima CE2M,
CE3M, CE4M, CE5M and CE6M; for the types 2, 3 and 4 there are two arrays, one per method, and the
larger maximum counts.</p>
<p><b>Choice of the type.</b> The types are compared in the order 3, 4, 5, 2, 6, starting from
CE1: a type takes the place of the best so far only when its maximum is larger (CE3M &gt; CE1,
CE4M &gt; the best of CE1 and CE3M, and so on), and type 6 only when CE6M is larger by 10 %. A
preferred type raises the mark that the types after it must pass. When no type 2 to 6 wins, the
single line of type 1 (or 0) remains.</p>
<p>The factor W=1.2 is an arbitray weight factor.</p>
<p>The confidence interval of the breakpoint and the confidence belt of the lines are explained
under the <b>"Confidence help"</b> button of the Graphics page.</p>)"};

const HelpText kConfidenceHelpText = {
    "          CONFIDENCE BELT, Ybp AND St.Err.BP",
    R"(<p>The <b>confidence belt</b> of a regression line follows the ordinary principles of
least-squares regression referred to on the Intro page: the standard error of the value of the
line at a point x grows with the distance of x from the central point of the data (average X,
average Y), so the exact limits are two curves, closest to the line at the central point. Vornax
approximates the curves by straight lines, drawn dashed in yellow on the graphs (see the picture
<i>Confidence belt</i> on the Figures tab).</p>
<p>With a breakpoint, the standard error of the broken line at x is found from the scatter of Y
about the two segments and from the distance of x to the average of all X; the belt is drawn at
1.75 standard errors on either side of each segment, from the ends of the range through the
central points of the segments to the breakpoint.</p>
<p><b>St.Dev.Ybp</b>, the standard deviation of Y at the breakpoint, tells how well the level at
which the two segments meet is known.</p>
<p><b>St.Err.BP</b>, the standard error of the breakpoint, tells how far the breakpoint may shift.
It follows from the standard errors of the slopes and of the levels of the two lines: a steep,
well-determined slope fixes the breakpoint closely, a shallow or uncertain one loosely. The
confidence interval of the breakpoint is BP minus and plus <i>t</i> times St.Err.BP, with
<i>t</i> = 1.75, 2.1 or 2.5 for 90, 95 or 98 % confidence. On the graphs of the types 2, 3 and 4
it is drawn as a magenta bar along the X axis; when it reaches beyond the data, the breakpoint
may be insignificant.</p>
<p>The summary above the report also gives the <b>likelihood interval</b> of the breakpoint: the
breakpoints at which a fit of the same type leaves a residual sum of squares not significantly
larger than at BP (an F test at the chosen confidence). It follows the data, so it may lie
unevenly about BP where the data are sparse on one side.</p>)"};

const char* const kConfMemoLines[3] = {
    "The confidence belt of the regression line RL corresponds to the curved lines.",
    // The graphs draw the belt in yellow.
    "In Vornax, the curves are approximated by straight lines shown in yellow color.",
    "The small square shows the central point of the regression line given by (Xav, Yav)"};

void ShowHelpText(QTextEdit* memo, const HelpText& text, const QColor& background) {
  QTextDocument* doc = memo->document();
  doc->clear();
  doc->setDocumentMargin(16);
  doc->setDefaultStyleSheet(
      "p { margin-top: 0px; margin-bottom: 9px; line-height: 135%; }"
      "p.type { margin-left: 18px; margin-bottom: 4px; }"
      "table { margin-bottom: 9px; }"
      "td { padding-right: 8px; vertical-align: top; line-height: 130%; }");
  // The heading's leading blanks centred it in the old fixed-width memo; here the line is
  // centred, and the blanks stay in the text at a width that does not push it aside.
  const QString heading = QString::fromLatin1(text.heading);
  qsizetype blanks = 0;
  while (blanks < heading.size() && heading[blanks] == ' ') ++blanks;
  const QString html =
      "<p align=\"center\" style=\"margin-bottom: 14px;\">"
      "<span style=\"font-size: 1px; white-space: pre;\">" + heading.left(blanks) + "</span>"
      "<span style=\"font-size: 15px; font-weight: bold; color: #1d3f7a;\">" +
      heading.mid(blanks).toHtmlEscaped() + "</span></p>" + QString::fromUtf8(text.body);
  doc->setHtml(html);
  memo->moveCursor(QTextCursor::Start);
  QPalette palette = memo->palette();
  palette.setColor(QPalette::Base, background);
  palette.setColor(QPalette::Text, QColor(0x20, 0x20, 0x20));
  memo->setPalette(palette);
}

}  // namespace vornax::forms
