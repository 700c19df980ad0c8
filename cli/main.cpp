// quillon-cli: Quillon's audio work from the command line.
#include <csignal>
#include <iostream>
#include <string>
#include <vector>

#include "CliSupport.h"
#include "UserPaths.h"

namespace {

const char* const kUsage =
    "Usage: quillon-cli COMMAND ...\n"
    "\n"
    "Commands:\n"
    "  convert IN OUT [--bitrate KBPS] [--quality Q] [--level L] [--delay MS]\n"
    "      Convert IN (.wav, .ogg or .flac) into OUT (.wav, .ogg, .mp3, .flac or .opus).\n"
    "      --bitrate  MP3 bit rate in kbit/s: 8 16 24 32 40 48 56 64 80 96 112 128 144 160\n"
    "                 192 224 256 320 (default 128); Opus bit rate, 6 to 256 (default 160)\n"
    "      --quality  Ogg Vorbis quality from -0.1 to 1.0 (default 0.2)\n"
    "      --level    FLAC compression level from 0 (fastest) to 8 (smallest) (default 5)\n"
    "      --delay    pause before each block in milliseconds, to spare the processor;\n"
    "                 5 or less means none (default 0)\n"
    "  convert IN... --to FORMAT --out DIR [--jobs N] [--keep-structure] [--bitrate KBPS]\n"
    "              [--quality Q] [--level L]\n"
    "      Convert every IN (a .wav, .ogg, .flac or .mp3 file, or a folder, searched through\n"
    "      its sub-folders for such files) into DIR, as FORMAT: wav, mp3, ogg, flac or opus.\n"
    "      Outputs keep their input's name with the format's extension; a batch that would\n"
    "      write over an input, or give two files one name, is refused before it starts.\n"
    "      A file that fails is reported and the others go on; one line per file tells how\n"
    "      it ended. Ctrl+C stops every conversion and removes the unfinished files.\n"
    "      --jobs            files converted at once; 0 means one per core (default: key\n"
    "                        jobs of section Rip in the settings file, else 0)\n"
    "      --keep-structure  the files of a folder IN go into DIR/<folder>/<sub-folders>\n"
    "      --bitrate         kbit/s of MP3 (one of the rates above, default 128) or of Opus\n"
    "                        (6 to 510, default 160)\n"
    "      --quality         Ogg Vorbis quality from -0.1 to 1.0 (default 0.2)\n"
    "      --level           FLAC compression level from 0 to 8 (default 5)\n"
    "  mix IN1 IN2 OUT [--concat] [--volume1 V] [--volume2 V]\n"
    "      Mix two WAV files of the same format into OUT, or with --concat join them.\n"
    "      --volume1, --volume2  level of each input in the mix, 0 to 255 (default 255)\n"
    "  tag show FILE\n"
    "      Show the ID3v2 tag at the start of FILE (an MP3 file).\n"
    "  tag set FILE [--title T] [--artist A] [--album A] [--track N] [--year Y] [--genre G]\n"
    "              [--comment C]\n"
    "      Write the fields into the tag, which becomes ID3v2.3; fields not given and the\n"
    "      tag's other frames keep their values. A tag with frames that ID3v2.3 cannot\n"
    "      hold is left as it is, and the frames are named.\n"
    "      An empty value clears a field; --track 0 removes the track number.\n"
    "  tag remove FILE\n"
    "      Remove the ID3v2 tag at the start of FILE.\n"
    "  drives\n"
    "      List the CD drives, then the disc images (*.cue, *.toc, *.nrg) in the disc folder.\n"
    "  toc [--drive N|PATH]\n"
    "      Show the table of contents of the disc in drive N (default 0) or at PATH (a\n"
    "      device or disc image): each track's number, start frame and length in frames,\n"
    "      the lead-out, the CDDB disc ID and the MusicBrainz disc ID.\n"
    "  cddb [--drive N|PATH] [--server HOST[:PORT]] [--email ADDR]\n"
    "      Look the disc up in CDDB (default server gnudb.gnudb.org): disc ID, artist,\n"
    "      title, category and the title of each track.\n"
    "  rip --format wav|mp3|ogg|flac|opus --out DIR [--drive N|PATH] [--tracks LIST]\n"
    "      [--cddb] [--mode fast|secure] [--offset N] [--test] [--json] [--jobs N]\n"
    "      [--metadata LIST] [--release ID] [--template T]\n"
    "      Rip the tracks of the disc in drive N (default 0) into DIR, with the MP3, Ogg,\n"
    "      FLAC and Opus options of the settings file. --tracks picks tracks such as 1,3-5\n"
    "      (default all).\n"
    "      Files are named Track-NN; with --cddb after the CDDB titles (server and e-mail\n"
    "      from section CDDB of the settings file). Ctrl+C cancels and removes the unfinished\n"
    "      file. --mode secure (the default of section Reading) reads every sector until two\n"
    "      reads agree and reports what it could not settle; fast reads once. --offset sets\n"
    "      the drive's read offset in samples instead of the stored one; --test adds a test\n"
    "      pass whose CRC is compared with the copy's. Each track is checked against the\n"
    "      AccurateRip database; a rip log and a cue sheet are written beside the files.\n"
    "      Prints one result line per track, or with --json the whole report. Exit status 0\n"
    "      only when every track was read with nothing left unsettled.\n"
    "      --jobs N encodes up to N tracks at once while the drive reads on; 0 means one\n"
    "      per core (default: key jobs of section Rip in the settings file, else 0). The\n"
    "      files are the same whatever the number.\n"
    "      --metadata LIST looks the names up in the sources listed (cdtext, musicbrainz,\n"
    "      cddb; default the settings' [Metadata] sources), --release ID picks one of\n"
    "      several releases, --template T names the files (fields {artist} {albumartist}\n"
    "      {album} {year} {disc} {track} {title}, \"/\" makes folders; default the\n"
    "      settings' [Naming] template). With any of them an .m3u8 playlist is written.\n"
    "  play FILE [--device N]\n"
    "      Play an Ogg Vorbis (or WAV) file on sound output device N (default 0).\n"
    "  record OUT --seconds N [--rate R] [--bits B] [--channels C] [--device N]\n"
    "      Record N seconds from recording device N into the WAV file OUT (default\n"
    "      44100 Hz, 16 bits, 2 channels). Ctrl+C ends the recording early and keeps it.\n"
    "  devices\n"
    "      List the sound output and recording devices.\n"
    "  skin export FILE\n"
    "      Write the skin built into the program to FILE (a skin file).\n"
    "  skin unpack FILE DIR\n"
    "      Write the bitmaps and the description of the skin file FILE into DIR.\n"
    "  skin pack DIR FILE\n"
    "      Pack the files of DIR (bitmaps and one *.ini description) into the skin file FILE.\n"
    "  skin check FILE\n"
    "      Load the skin file FILE as the program would and list every problem found;\n"
    "      exit status 1 when the skin is unusable (a part of it left out).\n"
    "  --version\n"
    "      Show the version and the settings file and disc folder in use.\n"
    "  --help\n"
    "      Show this text.\n"
    "\n"
    "Files: the settings file is ./settings.ini when the working directory holds one, else\n"
    "$XDG_CONFIG_HOME/quillon/settings.ini (default ~/.config/quillon/settings.ini). The disc\n"
    "folder is ./discs when there is one, else $XDG_DATA_HOME/quillon/discs (default\n"
    "~/.local/share/quillon/discs).\n"
    "\n"
    "Exit status: 0 on success, 1 when the work failed, 2 for a wrong command line,\n"
    "130 when interrupted.\n";

}  // namespace

int main(int argc, char** argv) {
    // A file-size limit then shows up as a write error we can report, not a kill.
    std::signal(SIGXFSZ, SIG_IGN);
    const std::vector<std::string> words(argv + 1, argv + argc);
    if (words.empty() || words[0] == "--help" || words[0] == "-h" || words[0] == "help") {
        std::cout << kUsage;
        return words.empty() ? 2 : 0;
    }
    if (words[0] == "--version") {
        std::cout << "quillon-cli " QUILLON_VERSION "\n"
                  << "settings file: " << quillon::paths::settingsFile().string() << "\n"
                  << "disc folder: " << quillon::paths::discFolder().string() << "\n";
        return 0;
    }
    const std::string command = words[0];
    const std::vector<std::string> rest(words.begin() + 1, words.end());
    try {
        if (command == "convert") return convertCommand(rest);
        if (command == "mix") return mixCommand(rest);
        if (command == "play") return playCommand(rest);
        if (command == "record") return recordCommand(rest);
        if (command == "devices") return devicesCommand(rest);
        if (command == "drives") return drivesCommand(rest);
        if (command == "toc") return tocCommand(rest);
        if (command == "cddb") return cddbCommand(rest);
        if (command == "rip") return ripCommand(rest);
        if (command == "tag") return tagCommand(rest);
        if (command == "skin") return skinCommand(rest);
        throw UsageError("unknown command " + command);
    } catch (const UsageError& error) {
        std::cerr << "quillon-cli: " << error.what() << "\nTry 'quillon-cli --help'.\n";
        return 2;
    } catch (const std::exception& error) {
        std::cerr << "quillon-cli: " << error.what() << "\n";
        return 1;
    }
}
