// Help pages: the application's help location and the routine that shows one
// numbered topic from it.
#pragma once

#include <QString>

namespace limsbridge {

//! Sets the application's help location to the "help" folder of the home.
void SetHelpFile();
//! The page of a topic: the help location + "/" + topic + ".html".
QString HelpTopicPage(const QString& topic);
//! Opens the page of a topic (callers pass numeric ids as text); errors are ignored.
void ShowHelpTopic(const QString& topic);

} // namespace limsbridge
