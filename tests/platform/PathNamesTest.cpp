#include "PathNames.h"

#include <gtest/gtest.h>

namespace {

TEST(PathNames, FileNamePartAndJoining) {
    EXPECT_EQ(fileNamePart("/a/b/c.jpg"), "c.jpg");
    EXPECT_EQ(fileNamePart("D:\\snd\\ring.wav"), "ring.wav");
    EXPECT_EQ(fileNamePart("C:x.jpg"), "x.jpg");
    EXPECT_EQ(fileNamePart(" "), " ");
    EXPECT_EQ(fileNamePart("/music/a:b.mid"), "a:b.mid") << "a colon inside a Linux name is part of it";
    EXPECT_EQ(joinPath("/tmp", "a.jpg"), "/tmp/a.jpg");
    EXPECT_EQ(joinPath("/tmp/", "a.jpg"), "/tmp/a.jpg") << "one separator, never two";
    EXPECT_EQ(joinPath("/", "a.jpg"), "/a.jpg");
}

} // namespace
