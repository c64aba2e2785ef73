// The rules that turn one laboratory result into what is stored for one plant
// variable: the number and its text (text lists, numeric conversion and
// rounding, symbol rules such as "<5"), how many decimals the text shows, and
// the comment that goes with it. Pure functions of their inputs, so the import
// run and the tests share exactly the same decisions.
#pragma once

#include <QString>
#include <QVariant>

namespace limsbridge {

class CommonTypeVarRec;
class CommonUnitConvert;

namespace WriteRules {

//! A double in the general number format of value texts: up to 15
//! significant digits, no trailing zeros, "E" exponents for very large or
//! small values ("5.5", "7.25", "1E-05").
QString NumberText(double value);

//! The text of a result or value: doubles in the general number format,
//! everything else as the database adapter writes it (null gives "").
QString ValueText(const QVariant& value);

//! The text before the first number of `text` ("<5" gives "<", "< 0.5" gives
//! "< ", "5 mg" gives ""); the whole text, trimmed, when it holds no number.
QString SymbolPrefix(const QString& text);

//! The decimals a value text shows: the configured decimal places, or for
//! 9999 the digits after the first "." of the result (its whole length when
//! it has no ".").
qint32 DecimalsToShow(const QVariant& result, qint32 decimalPlaces);

//! The value's text, padded with zeros up to `decimals` when it already has
//! a decimal point and fewer decimals ("5.1" with 2 gives "5.10"; "5" stays
//! "5"); a text without a number comes back trimmed.
QString FormatValueText(const QVariant& value, qint32 decimals);

//! Explains a non-numeric result through the variable's symbols. True with
//! number and text when a symbol applies; false otherwise, with the trimmed
//! result as comment, or with a null comment when a symbol applied but its
//! number could not be read (which stops the run).
bool ApplySymbolRules(const QVariant& result, const CommonTypeVarRec& V, const QString& sourceUnits,
                      const CommonUnitConvert& converter, double& number, QString& text, QVariant& comment);

//! What the rules decided for one (result, variable) pair.
struct ValueChoice {
    bool writeValue = false;
    double number = 0;
    QString text;
    //! Null, or the text that becomes (part of) the comment.
    QVariant commentPart;
};

//! Text variables take the position of the result in the variable's list;
//! other variables the converted and rounded number or a symbol's value.
//! A blank result chooses nothing: writing it would clear a stored comment.
ValueChoice ChooseValue(const QVariant& result, const CommonTypeVarRec& V, const QString& sourceUnits,
                        const CommonUnitConvert& converter);

//! The comment part joined with the source's comment: "part; comment", either
//! alone when the other is missing, null when both are.
QVariant AssembleComment(const QVariant& commentPart, const QString& sourceComment);

} // namespace WriteRules
} // namespace limsbridge
