// The help location and the page of a topic.
#include "core/AppInfo.h"
#include "core/HelpTopic.h"

#include <gtest/gtest.h>

using namespace limsbridge;

TEST(HelpTopic, PageOfATopicInTheHomesHelpFolder) {
    struct Case {
        const char* home;
        const char* expected;
    };
    const Case cases[] = {
        {"/opt/limsbridge", "/opt/limsbridge/help/12037.html"},
        {"/opt/limsbridge/", "/opt/limsbridge/help/12037.html"},
    };
    for (const Case& c : cases) {
        App::setPath(c.home);
        SetHelpFile();
        EXPECT_EQ(HelpTopicPage("12037"), c.expected) << c.home;
    }
    App::setPath(QString());
}

TEST(HelpTopic, ShowingWithoutADisplayIsIgnored) {
    App::setPath("/nonexistent");
    SetHelpFile();
    ShowHelpTopic("12037");
    ShowHelpTopic("");
    App::setPath(QString());
    SUCCEED();
}
