#include <gtest/gtest.h>

#include <sstream>

#include "zentrik/platform/internet/URLNameValues.h"

using namespace Velmora;

TEST(URLNameValueFieldTest, HoldsNameAndBody) {
    const URLNameValueField field("name", "body");
    EXPECT_EQ(field.getFieldName(), String("name"));
    EXPECT_EQ(field.getFieldBody(), String("body"));
    const URLNameValueField copy(field);
    EXPECT_EQ(copy, field);
    EXPECT_NE(URLNameValueField("name", "other"), field);
    EXPECT_NE(URLNameValueField("other", "body"), field);
    std::ostringstream text;
    text << field;
    EXPECT_EQ(text.str(), "name=body");
}

TEST(URLNameValuesTest, StartsEmpty) {
    const URLNameValues fields;
    EXPECT_EQ(fields.getNumberOfFields(), 0u);
    EXPECT_TRUE(fields.getURLFields().empty());
}

TEST(URLNameValuesTest, KeepsTheOrderOfCopies) {
    URLNameValues fields;
    URLNameValueField first("b", "2");
    fields.addURLNameValueField(first);
    fields.addURLNameValueField(URLNameValueField("a", "1"));
    fields.addURLNameValueField(URLNameValueField("b", "3"));
    first = URLNameValueField("changed", "later");
    ASSERT_EQ(fields.getNumberOfFields(), 3u);
    EXPECT_EQ(fields.getURLFields()[0], URLNameValueField("b", "2"));
    EXPECT_EQ(fields.getURLFields()[1], URLNameValueField("a", "1"));
    EXPECT_EQ(fields.getURLFields()[2], URLNameValueField("b", "3"));

    const URLNameValues copy(fields);
    EXPECT_EQ(copy, fields);
    URLNameValues shorter;
    shorter.addURLNameValueField(URLNameValueField("b", "2"));
    EXPECT_NE(shorter, fields);

    std::ostringstream text;
    text << fields;
    EXPECT_EQ(text.str(), "{b=2, a=1, b=3}");
}

TEST(URLNameValuesTest, KeepsAnyText) {
    URLNameValues fields;
    const String name(std::u32string{U'\u00E9', U'\u20AC', U'\U0001F600'});
    fields.addURLNameValueField(URLNameValueField(name, String()));
    EXPECT_EQ(fields.getURLFields()[0].getFieldName(), name);
    EXPECT_TRUE(fields.getURLFields()[0].getFieldBody().isEmpty());
}
