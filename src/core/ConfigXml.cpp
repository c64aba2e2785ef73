#include "ConfigXml.h"

#include <QDomNamedNodeMap>
#include <QStringList>

#include <algorithm>
#include <array>

namespace limsbridge::ConfigXml {

namespace {

const QString kEncodingAttribute = QStringLiteral("encoding");
const QString kBase64 = QStringLiteral("base64");

// The DOM keeps attributes in a hash, so their order would change from one
// save to the next; these come first, in this order, and any others follow
// sorted by name.
constexpr std::array<const char*, 2> kAttributeOrder = {"version", "encrypted"};

int attributeRank(const QString& name)
{
    for (std::size_t i = 0; i < kAttributeOrder.size(); ++i) {
        if (name == QLatin1String(kAttributeOrder[i]))
            return int(i);
    }
    return int(kAttributeOrder.size());
}

QString escaped(const QString& text, bool inAttribute)
{
    QString out;
    out.reserve(text.size());
    for (const QChar c : text) {
        switch (c.unicode()) {
        case '&': out += QLatin1String("&amp;"); break;
        case '<': out += QLatin1String("&lt;"); break;
        case '>': out += QLatin1String("&gt;"); break;
        // A raw carriage return would come back as a line feed.
        case '\r': out += QLatin1String("&#xd;"); break;
        case '"': out += inAttribute ? QLatin1String("&quot;") : QLatin1String("\""); break;
        case '\n': out += inAttribute ? QLatin1String("&#xa;") : QLatin1String("\n"); break;
        case '\t': out += inAttribute ? QLatin1String("&#x9;") : QLatin1String("\t"); break;
        default: out += c; break;
        }
    }
    return out;
}

QString attributesText(const QDomElement& element)
{
    const QDomNamedNodeMap attributes = element.attributes();
    QStringList names;
    for (int i = 0; i < attributes.count(); ++i)
        names.append(attributes.item(i).nodeName());
    std::sort(names.begin(), names.end(), [](const QString& a, const QString& b) {
        const int rankA = attributeRank(a);
        const int rankB = attributeRank(b);
        return rankA != rankB ? rankA < rankB : a < b;
    });
    QString out;
    for (const QString& name : names)
        out += QLatin1Char(' ') + name + QLatin1String("=\"") + escaped(element.attribute(name), true) +
               QLatin1Char('"');
    return out;
}

bool holdsText(const QDomElement& element)
{
    for (QDomNode child = element.firstChild(); !child.isNull(); child = child.nextSibling()) {
        if (child.isCharacterData() && !child.isComment())
            return true;
    }
    return false;
}

// indent < 0 writes compactly; otherwise the node starts a line indented by
// 2 * indent blanks and ends it.
void writeNode(const QDomNode& node, QString& out, int indent)
{
    const QString pad = indent >= 0 ? QString(indent * 2, QLatin1Char(' ')) : QString();
    const QLatin1String lineEnd(indent >= 0 ? "\n" : "");
    if (node.isElement()) {
        const QDomElement element = node.toElement();
        out += pad + QLatin1Char('<') + element.tagName() + attributesText(element);
        if (!element.hasChildNodes()) {
            out += QLatin1String("/>") + lineEnd;
            return;
        }
        // Indenting inside an element with text would add blanks to its value.
        const int childIndent = (indent < 0 || holdsText(element)) ? -1 : indent + 1;
        out += QLatin1Char('>');
        if (childIndent >= 0)
            out += QLatin1Char('\n');
        for (QDomNode child = element.firstChild(); !child.isNull(); child = child.nextSibling())
            writeNode(child, out, childIndent);
        out += (childIndent >= 0 ? pad : QString()) + QLatin1String("</") + element.tagName() + QLatin1Char('>') +
               lineEnd;
    } else if (node.isCDATASection()) {
        QString data = node.toCDATASection().data();
        data.replace(QLatin1String("]]>"), QLatin1String("]]]]><![CDATA[>"));
        out += QLatin1String("<![CDATA[") + data + QLatin1String("]]>");
    } else if (node.isText()) {
        out += escaped(node.toText().data(), false);
    } else if (node.isComment()) {
        out += pad + QLatin1String("<!--") + node.toComment().data() + QLatin1String("-->") + lineEnd;
    }
    // Processing instructions (the XML declaration of a loaded file) and
    // other node kinds are not part of the configuration and are not written.
}

bool isXmlWhitespace(QChar c)
{
    return c == QLatin1Char(' ') || c == QLatin1Char('\t') || c == QLatin1Char('\n') || c == QLatin1Char('\r');
}

// Plain XML text cannot hold most control characters, and the parser drops
// text that consists of blanks only.
bool needsEncoding(const QString& value)
{
    if (std::all_of(value.begin(), value.end(), isXmlWhitespace))
        return true;
    for (qsizetype i = 0; i < value.size(); ++i) {
        const char16_t c = value[i].unicode();
        if (c < 0x20 && !isXmlWhitespace(QChar(c)))
            return true;
        if (c == 0xFFFE || c == 0xFFFF)
            return true;
        if (QChar::isHighSurrogate(c)) {
            if (i + 1 >= value.size() || !value[i + 1].isLowSurrogate())
                return true;
            ++i;
        } else if (QChar::isLowSurrogate(c)) {
            return true;
        }
    }
    return false;
}

} // namespace

QByteArray documentText(const QDomDocument& document)
{
    QString out = QStringLiteral("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n");
    for (QDomNode node = document.firstChild(); !node.isNull(); node = node.nextSibling())
        writeNode(node, out, 0);
    return out.toUtf8();
}

QString childrenText(const QDomElement& element)
{
    QString out;
    for (QDomNode child = element.firstChild(); !child.isNull(); child = child.nextSibling())
        writeNode(child, out, -1);
    return out;
}

QString elementValue(const QDomElement& element)
{
    QString text;
    for (QDomNode child = element.firstChild(); !child.isNull(); child = child.nextSibling()) {
        if (child.isCharacterData() && !child.isComment())
            text += child.toCharacterData().data();
    }
    if (element.attribute(kEncodingAttribute) == kBase64)
        return QString::fromUtf8(QByteArray::fromBase64(text.trimmed().toLatin1()));
    return text;
}

void setElementValue(QDomDocument& document, QDomElement& element, const QString& value)
{
    for (QDomNode child = element.firstChild(); !child.isNull();) {
        const QDomNode next = child.nextSibling();
        if (child.isCharacterData() && !child.isComment())
            element.removeChild(child);
        child = next;
    }
    element.removeAttribute(kEncodingAttribute);
    if (value.isEmpty())
        return;
    if (needsEncoding(value)) {
        element.setAttribute(kEncodingAttribute, kBase64);
        element.appendChild(document.createTextNode(QString::fromLatin1(value.toUtf8().toBase64())));
    } else {
        element.appendChild(document.createTextNode(value));
    }
}

bool isElementName(const QString& name)
{
    if (name.isEmpty())
        return false;
    auto isStart = [](QChar c) { return c.isLetter() || c == QLatin1Char('_'); };
    if (!isStart(name.front()))
        return false;
    return std::all_of(name.begin() + 1, name.end(), [&](QChar c) {
        return isStart(c) || c.isDigit() || c == QLatin1Char('-') || c == QLatin1Char('.');
    });
}

} // namespace limsbridge::ConfigXml
