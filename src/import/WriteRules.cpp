#include "import/WriteRules.h"

#include "core/RoundToDigits.h"
#include "core/VbConvert.h"
#include "platform/DbValue.h"
#include "source/CommonTypeVarRec.h"
#include "source/CommonUnitConvert.h"
#include "source/VarTypeFunctions.h"

#include <optional>

namespace limsbridge::WriteRules {

namespace {

bool isDigitOrPoint(QChar c) {
    return c.isDigit() || c == QLatin1Char('.');
}

// Where the first number of the text starts; -1 when it holds none.
qsizetype numberStart(const QString& text) {
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (isDigitOrPoint(c))
            return i;
        if (c == QLatin1Char('-') && i + 1 < text.size() && isDigitOrPoint(text.at(i + 1)))
            return i;
    }
    return -1;
}

// The rounding every stored number gets: none for "keep the decimals".
double roundForVariable(double value, const CommonTypeVarRec& V) {
    if (V.gDecPlaces() == CommonTypeVarRec::kKeepDecimals)
        return value;
    return RoundToDigits(value, V.gDecPlaces());
}

} // namespace

QString NumberText(double value) {
    if (value == 0)
        return QStringLiteral("0");
    QString text = QString::number(value, 'g', 15);
    text.replace(QLatin1Char('e'), QLatin1Char('E'));
    return text;
}

QString ValueText(const QVariant& value) {
    const int type = value.typeId();
    if (type == QMetaType::Double || type == QMetaType::Float)
        return value.isNull() ? QString() : NumberText(value.toDouble());
    return DbValue::textOf(value);
}

QString SymbolPrefix(const QString& text) {
    const qsizetype start = numberStart(text);
    if (start < 0)
        return text.trimmed();
    return text.left(start);
}

qint32 DecimalsToShow(const QVariant& result, qint32 decimalPlaces) {
    if (decimalPlaces != CommonTypeVarRec::kKeepDecimals)
        return decimalPlaces;
    // Blanks around a number are no digits: "10 " asks for two decimals, as "10" does.
    const QString text = ValueText(result).trimmed();
    const qsizetype point = text.indexOf(QLatin1Char('.'));
    if (point < 0)
        return qint32(text.size());
    return qint32(text.size() - point - 1);
}

QString FormatValueText(const QVariant& value, qint32 decimals) {
    const QString text = ValueText(value);
    const QString trimmed = text.trimmed();
    if (trimmed == SymbolPrefix(trimmed))
        return trimmed;
    const qsizetype point = text.indexOf(QLatin1Char('.'));
    const qint32 present = point < 0 ? 0 : qint32(text.size() - point - 1);
    if (present > 0 && present < decimals)
        return text + QString(decimals - present, QLatin1Char('0'));
    return text;
}

bool ApplySymbolRules(const QVariant& result, const CommonTypeVarRec& V, const QString& sourceUnits,
                      const CommonUnitConvert& converter, double& number, QString& text, QVariant& comment) {
    number = 0;
    const QString resultText = ValueText(result);
    if (!V.gAllowSymbol()) {
        comment = resultText.trimmed();
        return false;
    }

    // A symbol that stands alone ("ND") and takes no number.
    for (int k = 0; k < V.SymbolCount(); ++k) {
        QString symbol;
        bool allowNumeric = false;
        qint16 rule = 0;
        double factor = 0;
        V.GetSymbolByIndex(k, symbol, allowNumeric, rule, factor);
        if (!allowNumeric && resultText == symbol) {
            text = resultText;
            number = rule == 4 ? factor : 0;
            comment = QVariant();
            return true;
        }
    }

    // A symbol in front of a number ("<5").
    QString prefix = SymbolPrefix(resultText);
    if (!prefix.isEmpty()) {
        const QString rest = resultText.mid(prefix.size());
        prefix = prefix.trimmed();
        for (int k = 0; k < V.SymbolCount(); ++k) {
            QString symbol;
            bool allowNumeric = false;
            qint16 rule = 0;
            double factor = 0;
            V.GetSymbolByIndex(k, symbol, allowNumeric, rule, factor);
            if (symbol != prefix)
                continue;
            if (!Vb::IsNumeric(rest) && allowNumeric)
                break;
            // The symbol applies; a rest that is no number is an error that
            // leaves neither value nor comment.
            const std::optional<double> parsed = Vb::ToDouble(rest);
            if (!parsed) {
                comment = QVariant();
                return false;
            }
            double n = converter.GetConvertedResult(*parsed, sourceUnits, V.gUnits());
            n = roundForVariable(n, V);
            switch (rule) {
            case 0: number = n; break;
            case 2: number = n / 2; break;
            case 3: number = n * factor; break;
            case 4: number = factor; break;
            case 6: number = n * 2; break;
            default: number = 0; break;
            }
            text = prefix + NumberText(n);
            comment = QVariant();
            return true;
        }
    }

    comment = resultText.trimmed();
    return false;
}

ValueChoice ChooseValue(const QVariant& result, const CommonTypeVarRec& V, const QString& sourceUnits,
                        const CommonUnitConvert& converter) {
    ValueChoice choice;
    const QString resultText = ValueText(result);
    if (resultText.trimmed().isEmpty())
        return choice;

    if (VarTypeFunctions::IsTypeTextParameter(V.gVarType())) {
        const qint16 position = V.GetTextListHashIndex(resultText);
        // The list is only loaded for limited variables, so an unlimited
        // variable always stores 1 with its text.
        const double number = V.gLimitToLIST() ? position : (position == 0 ? 1 : position);
        if (number > 0) {
            choice.writeValue = true;
            choice.number = number;
            choice.text = resultText;
        } else {
            choice.commentPart = resultText;
        }
        return choice;
    }

    const qint32 decimals = DecimalsToShow(result, V.gDecPlaces());
    if (const std::optional<double> parsed = Vb::IsNumeric(resultText) ? Vb::ToDouble(resultText) : std::nullopt) {
        double number = converter.GetConvertedResult(*parsed, sourceUnits, V.gUnits());
        number = roundForVariable(number, V);
        choice.writeValue = true;
        choice.number = number;
        choice.text = FormatValueText(number, decimals);
        return choice;
    }

    double number = 0;
    QString text;
    QVariant comment;
    choice.writeValue = ApplySymbolRules(result, V, sourceUnits, converter, number, text, comment);
    choice.number = number;
    choice.text = FormatValueText(text, decimals);
    choice.commentPart = comment;
    return choice;
}

QVariant AssembleComment(const QVariant& commentPart, const QString& sourceComment) {
    const QString comment = sourceComment.trimmed();
    if (comment.isEmpty())
        return commentPart;
    if (commentPart.isNull())
        return comment;
    return commentPart.toString().trimmed() + QStringLiteral("; ") + comment;
}

} // namespace limsbridge::WriteRules
