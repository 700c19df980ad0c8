// quillon-cli drives, toc and cddb: the CD access layer from the command line.
#include <cstdio>
#include <iostream>
#include <stdexcept>
#include <string>
#include <vector>

#include "AKRip32.h"
#include "CddbParse.h"
#include "CliSupport.h"
#include "DiscId.h"
#include "DiscToc.h"

namespace {

constexpr const char* kCgiPath = "/~cddb/cddb.cgi";
constexpr const char* kClientName = "quillon-cli 0.1";

// Text from a disc or a server is shown as it is, except for control characters, which a
// terminal would act on.
std::string printable(const std::string& text) {
    std::string out = text;
    for (char& c : out) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x20 || byte == 0x7F) c = '?';
    }
    return out;
}

CdDriveList listDrives() {
    CdDriveList list{};
    list.capacity = kCdMaxDrives;
    GetCDList(&list);
    return list;
}

class OpenDrive {
  public:
    explicit OpenDrive(const CdDriveInfo& drive) {
        const CdOpenRequest request = openRequestFor(drive);
        m_handle = GetCDHandle(&request);
        if (m_handle == 0)
            throw std::runtime_error("no readable disc in drive " + printable(drive.id));
        ModifyCDParms(m_handle, kCdParamTocAddress, 0);
        if (ReadTOC(m_handle, &m_toc) != 1)
            throw std::runtime_error("cannot read the table of contents of " + printable(drive.id));
    }
    ~OpenDrive() { CloseCDHandle(m_handle); }
    OpenDrive(const OpenDrive&) = delete;
    OpenDrive& operator=(const OpenDrive&) = delete;

    CdHandle handle() const { return m_handle; }
    const CdToc& toc() const { return m_toc; }

  private:
    CdHandle m_handle = 0;
    CdToc m_toc{};
};

CdDriveInfo chosenDrive(const Arguments& arguments) {
    const CdDriveList list = listDrives();
    if (list.count == 0) throw std::runtime_error("no CD drive or disc image found");
    if (const auto path = drivePathArgument(arguments)) {
        for (int i = 0; i < list.count; ++i) {
            char listed[4096];
            if (GetCDDrivePath(&list.drives[i], listed, sizeof listed) == 1 && *path == listed)
                return list.drives[i];
        }
        throw UsageError("--drive " + *path + ": no such drive or disc image");
    }
    const int index = arguments.integer("--drive", 0, 0, kCdMaxDrives - 1);
    if (index >= list.count)
        throw UsageError("--drive " + std::to_string(index) + ": there are only " +
                         std::to_string(list.count) + " drives");
    return list.drives[index];
}

void rejectPositional(const Arguments& arguments) {
    if (!arguments.positional().empty())
        throw UsageError("unexpected argument " + arguments.positional().front());
}

}  // namespace

int drivesCommand(const std::vector<std::string>& words) {
    const Arguments arguments(words, {}, {});
    rejectPositional(arguments);
    const CdDriveList list = listDrives();
    if (list.count == 0) {
        std::cerr << "quillon-cli: no CD drive or disc image found\n";
        return 1;
    }
    for (int i = 0; i < list.count; ++i)
        std::cout << i << "  " << printable(list.drives[i].id) << "\n";
    return 0;
}

int tocCommand(const std::vector<std::string>& words) {
    const Arguments arguments(words, {"--drive"}, {});
    rejectPositional(arguments);
    const OpenDrive drive(chosenDrive(arguments));
    const auto layout = quillon::cdrom::layoutFromToc(drive.toc());
    std::printf("Track     Start    Frames\n");
    for (int i = 0; i < layout.trackCount(); ++i) {
        const auto start = layout.starts[static_cast<size_t>(i)];
        const auto next = i + 1 < layout.trackCount() ? layout.starts[static_cast<size_t>(i) + 1]
                                                      : layout.leadOut;
        std::printf("%5.2d  %8d  %8d\n", layout.firstTrack + i, start, next - start);
    }
    std::printf("Lead-out  %5d\n", layout.leadOut);
    std::printf("Disc ID   %s\n",
                quillon::cdrom::discIdText(quillon::cdrom::cddbDiscId(layout)).c_str());
    // A disc without audio tracks has no MusicBrainz disc ID.
    if (const auto audio = quillon::musicbrainz::discToc(layout))
        std::printf("MusicBrainz disc ID %s\n", quillon::musicbrainz::discId(*audio).c_str());
    return 0;
}

int cddbCommand(const std::vector<std::string>& words) {
    const Arguments arguments(words, {"--drive", "--server", "--email"}, {});
    rejectPositional(arguments);
    const OpenDrive drive(chosenDrive(arguments));
    const auto layout = quillon::cdrom::layoutFromToc(drive.toc());
    const std::string server = arguments.value("--server").value_or("gnudb.gnudb.org");
    const std::string email = arguments.value("--email").value_or("");

    auto setOptions = [&] {
        CDDBSetOption(kCddbOptionServer, server.c_str(), 0);
        CDDBSetOption(kCddbOptionCgiPath, kCgiPath, 0);
        CDDBSetOption(kCddbOptionEmail, email.c_str(), 0);
        CDDBSetOption(kCddbOptionClientName, kClientName, 0);
    };
    setOptions();
    std::vector<CddbSite> sites(8);
    CddbSiteList siteList{8, 0, sites.data()};
    if (CDDBGetServerList(&siteList) != 1)
        throw std::runtime_error("no answer from the CDDB server " + printable(server));

    setOptions();
    CddbMatch match{};
    CddbQuery query{1, 0, &match};
    const int found = CDDBQuery(drive.handle(), &query);
    if (found < 0) throw std::runtime_error("the CDDB lookup failed");
    if (found == 0) {
        std::cout << "Disc ID   " << quillon::cdrom::discIdText(quillon::cdrom::cddbDiscId(layout))
                  << "\n";
        std::cerr << "quillon-cli: no record in CDDB\n";
        return 1;
    }
    std::vector<char> text(32000);
    if (CDDBGetDiskInfo(&match, text.data(), static_cast<std::int32_t>(text.size())) != 1)
        throw std::runtime_error("cannot get the disc's entry from CDDB");

    // The entry's disc title is whole; the match's fields hold at most 80 characters.
    std::string artist = match.artist;
    std::string title = match.title;
    if (const auto discTitle = quillon::cdrom::entryValue(text.data(), "DTITLE");
        discTitle && !discTitle->empty())
        quillon::cdrom::splitDiscTitle(*discTitle, artist, title);
    std::cout << "Disc ID   " << printable(match.discId) << "\n"
              << "Artist    " << printable(artist) << "\n"
              << "Title     " << printable(title) << "\n"
              << "Category  " << printable(match.category) << "\n";
    for (int i = 0; i < layout.trackCount(); ++i) {
        const auto title =
            quillon::cdrom::entryValue(text.data(), "TTITLE" + std::to_string(i)).value_or("");
        char number[8];
        std::snprintf(number, sizeof number, "%.2d", layout.firstTrack + i);
        std::cout << number << "  " << printable(title) << "\n";
    }
    return 0;
}
