// The laboratory source's settings: their keys and defaults, the three
// connection templates, the default source query and the catalogue of source
// fields that can be mapped to additional-info columns.
#pragma once

#include <QString>

namespace limsbridge {

class QORConfiguration;

//! Registers the "K52907" keys and the three connection templates.
void RegisterSourceDefaults(QORConfiguration& config);

//! The source field ids offered for additional-info mapping: "id<TAB>description"
//! entries separated by the character with code 0.
QString SourceFieldCatalogue();

//! The query proposed when no source query is configured.
QString DefaultSourceQuery();

} // namespace limsbridge
