// Which of the device manager's messages tell of a disc coming or going, and the watch that
// hears them through a socket notifier, fed by a source the test fills.
#include <gtest/gtest.h>

#include <QSignalSpy>
#include <filesystem>

#include "DiscEvents.h"
#include "DiscWatch.h"
#include "FakeDeviceEvents.h"
#include "TestFiles.h"
#include "WaitFor.h"

namespace {

using quillon::discwatch::DeviceEvent;
using quillon::discwatch::isDiscChange;

const std::vector<std::string> kDrives{"/dev/sr0", "/dev/sr1"};

TEST(DiscChangeTest, TheMediumComingOrGoingInAListedDriveMatters) {
    EXPECT_TRUE(isDiscChange(mediaChange("/dev/sr1", true), kDrives));
    EXPECT_TRUE(isDiscChange(mediaChange("/dev/sr0", false), kDrives)) << "a disc taken out";
    // Kernels that do not flag the change: udev's CD rules still give the medium's state.
    EXPECT_TRUE(isDiscChange({"change", "/dev/sr0", {{"ID_CDROM_MEDIA", "1"}}}, kDrives));
}

TEST(DiscChangeTest, OtherMessagesDoNot) {
    // Another device, a partition table re-read of a hard disc, a drive plugged in or out
    // (the list of drives is another matter), and a press of the eject button, which only
    // asks for the tray to open.
    EXPECT_FALSE(isDiscChange(mediaChange("/dev/sr2", true), kDrives));
    EXPECT_FALSE(isDiscChange({"change", "/dev/sda", {{"ID_PART_TABLE_TYPE", "gpt"}}}, kDrives));
    EXPECT_FALSE(isDiscChange({"change", "/dev/sr0", {{"DISK_MEDIA_CHANGE", "0"}}}, kDrives));
    DeviceEvent added = mediaChange("/dev/sr0", true);
    added.action = "add";
    EXPECT_FALSE(isDiscChange(added, kDrives));
    added.action = "remove";
    EXPECT_FALSE(isDiscChange(added, kDrives));
    DeviceEvent eject = mediaChange("/dev/sr0", true);
    eject.properties = {{"DISK_EJECT_REQUEST", "1"}, {"ID_CDROM_MEDIA", "1"}};
    EXPECT_FALSE(isDiscChange(eject, kDrives));
    EXPECT_FALSE(isDiscChange(mediaChange("", true), {""})) << "a device without a node";
    EXPECT_FALSE(isDiscChange(mediaChange("/dev/sr0", true), {})) << "no drives listed";
}

TEST(DiscChangeTest, ADriveListedByALinkIsTheNodeTheMessageNames) {
    TempDir dir;
    const std::filesystem::path node = dir.path() / "sr0";
    writeBytes(node.string(), {});
    std::filesystem::create_symlink(node, dir.path() / "cdrom");
    EXPECT_TRUE(isDiscChange(mediaChange(node.string(), true), {(dir.path() / "cdrom").string()}));
    EXPECT_FALSE(isDiscChange(mediaChange(node.string(), true), {(dir.path() / "sr1").string()}));
}

TEST(DiscWatchTest, ABurstOfMessagesNamesEachChangedDriveOnce) {
    auto owned = std::make_unique<FakeDeviceEvents>();
    FakeDeviceEvents& source = *owned;
    DiscWatch watch(std::move(owned), kDrives);
    ASSERT_TRUE(watch.running());
    QSignalSpy changed(&watch, &DiscWatch::discChanged);

    source.send({mediaChange("/dev/sr1", false),
                 {"change", "/dev/sda", {}},
                 mediaChange("/dev/sr1", true)});
    ASSERT_TRUE(waitFor([&] { return changed.count() > 0; }));
    EXPECT_TRUE(source.drained());
    ASSERT_EQ(changed.count(), 1);
    EXPECT_EQ(changed.takeFirst().first().toString(), "/dev/sr1");

    // Only news of other devices: the watch wakes, reads and says nothing.
    source.send({mediaChange("/dev/sr7", true)});
    ASSERT_TRUE(waitFor([&] { return source.drained(); }));
    QCoreApplication::processEvents();
    EXPECT_EQ(changed.count(), 0);

    // A new list of drives is watched from the next message on.
    watch.setDrives({"/dev/sr7"});
    source.send({mediaChange("/dev/sr7", true), mediaChange("/dev/sr0", true)});
    ASSERT_TRUE(waitFor([&] { return changed.count() > 0; }));
    EXPECT_EQ(changed.takeFirst().first().toString(), "/dev/sr7");
}

TEST(DiscWatchTest, WithoutASourceItIsNotRunning) {
    EXPECT_FALSE(DiscWatch(nullptr, kDrives).running());
    // The installed opener decides where the watch listens; one that finds nothing (no udev,
    // no netlink) leaves a watch that is simply not running.
    quillon::discwatch::setEventSourceOpener([] { return nullptr; });
    EXPECT_FALSE(DiscWatch(kDrives).running());
    quillon::discwatch::setEventSourceOpener({});
}

TEST(DiscWatchTest, TheMachinesSourceNeverBlocksTheWindow) {
    // Where udev can be reached (not in every container), reading with nothing waiting must
    // come back at once: the window reads on its own thread.
    const auto source = quillon::discwatch::openSystemEventSource();
    if (!source) GTEST_SKIP() << "no udev monitor here";
    EXPECT_GE(source->descriptor(), 0);
    EXPECT_FALSE(source->next().has_value());
}

}  // namespace
