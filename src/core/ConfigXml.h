// The XML text of the configuration file: writing a DOM tree with a fixed
// attribute order and indentation, and keeping values that plain XML text
// cannot carry (control characters of scrambled passwords, values of blanks
// only, which the parser drops) intact through an encoded form.
#pragma once

#include <QByteArray>
#include <QDomDocument>
#include <QDomElement>
#include <QString>

namespace limsbridge::ConfigXml {

//! The document as UTF-8 file content with an XML declaration, indented by
//! two blanks; elements holding text are written on one line so that no
//! blanks are added to their text.
QByteArray documentText(const QDomDocument& document);

//! The element's child nodes as compact XML text, without the element itself.
QString childrenText(const QDomElement& element);

//! The value an element holds: its own text (not that of child elements),
//! decoded when it was written in the encoded form.
QString elementValue(const QDomElement& element);

//! Sets the element's own text to the value, in the encoded form when plain
//! XML text would lose or reject it.
void setElementValue(QDomDocument& document, QDomElement& element, const QString& value);

//! True when the text can be used as an element name (one part of a key path).
bool isElementName(const QString& name);

} // namespace limsbridge::ConfigXml
