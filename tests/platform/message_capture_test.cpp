#include <string>
#include <thread>

#include "common/test_support.h"
#include "platform/message_box.h"

namespace vemo {
namespace {

TEST(MessageCapture, TheInnermostCaptureOfAThreadCollectsAndOtherThreadsStillShowTheirs) {
  test::MessageBoxRecorder host;
  {
    const platform::MessageCapture outer;
    EXPECT_EQ(platform::MessageBox("first", "T", kMbIconStop), kMbResultOk);
    {
      const platform::MessageCapture inner;
      platform::MessageBox("second", "T", kMbIconExclamation);
      std::thread([] { platform::MessageBox("from another thread", "T", 0); }).join();
      ASSERT_EQ(inner.Messages().size(), 1u);
      EXPECT_EQ(inner.Messages()[0].text, "second");
      EXPECT_EQ(inner.Messages()[0].style, kMbIconExclamation);
    }
    platform::MessageBox("third", "T", 0);
    ASSERT_EQ(outer.Messages().size(), 2u);
    EXPECT_EQ(outer.Messages()[0].text + " " + outer.Messages()[1].text, "first third");
  }
  platform::MessageBox("after", "T", 0);
  ASSERT_EQ(host.boxes().size(), 2u);
  EXPECT_EQ(host.boxes()[0].text, "from another thread");
  EXPECT_EQ(host.boxes()[1].text, "after");
}

}  // namespace
}  // namespace vemo
