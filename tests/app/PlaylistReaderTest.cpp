#include "app/PlaylistReader.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using namespace std::string_literals;
using Format = PlaylistReader::Format;
using Rows = std::vector<std::string>;

// "title|performer|u" for the playlist, then "path|title|performer|flags" per track
// (u: UTF-8, r: URI; a decoded path follows the path after '>').
Rows Render(const Playlist& list) {
    Rows rows{list.title + "|" + list.performer + "|" + (list.utf8 ? "u" : "")};
    for (const TrackEntry& t : list.tracks) {
        rows.push_back(t.path + (t.decodedPath.empty() ? "" : ">" + t.decodedPath) + "|" + t.title + "|" + t.performer +
                       "|" + (t.utf8 ? "u" : "") + (t.uri ? "r" : ""));
    }
    return rows;
}

// The bytes of UTF-16 text as a Windows tool saves it: a byte-order mark unless told not to.
std::string Utf16(const std::u16string& text, bool bigEndian = false, bool mark = true) {
    std::string bytes;
    for (const char16_t unit : (mark ? u"\uFEFF" : u"") + text) {
        const char high = static_cast<char>(unit >> 8), low = static_cast<char>(unit & 0xFF);
        bytes += bigEndian ? std::string{high, low} : std::string{low, high};
    }
    return bytes;
}

TEST(PlaylistReaderTest, DetectsByContentThenByPath) {
    const struct {
        const char* path;
        const char* content;
        Format format;
    } cases[] = {
        {"a.txt", "\xEF\xBB\xBF \r\n#extm3u\r\n", Format::M3u},
        {"a.txt", "#EXTM3", Format::PlainList},
        {"a.asx", "[Playlist]\nFile1=x", Format::Pls},
        {"a.m3u", "  <asx version=\"3.0\">", Format::EntryList},
        {"a.pls", "<?xml version=\"1.0\"?>\n<!-- > --><?wpl version=\"1.0\"?>", Format::Wpl},
        {"a", "<smil>", Format::Wpl},
        {"a", "<?xml version='1.0'?><playlist version=\"1\" xmlns=\"http://xspf.org/ns/0/\">", Format::Xspf},
        {"a.xspf", "<playlist version=\"1\">", Format::Xspf},
        {"a.txt", "<playlist version=\"1\">", Format::PlainList},
        {"a.wpl", "<?xml version=\"1.0\" <smil>", Format::Wpl},
        {"C:\\old.ASX.d\\list.m3u", "", Format::EntryList},
        {"my.asxfiles", "", Format::EntryList},
        {"a.M3U8", "", Format::M3u},
        {"a.m3u.txt", "", Format::PlainList},
        {"x.m3u\\list", "", Format::PlainList},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(c.format, PlaylistReader::Detect(c.path, c.content)) << c.path << " [" << c.content << "]";
    }
}

TEST(PlaylistReaderTest, ReadsTracksAndTextsOfEachFormat) {
    const struct {
        const char* path;
        std::string content;
        Rows expected;
    } cases[] = {
        // Plain list: lines longer than two bytes, as written.
        {"C:\\lists\\a.txt",
         "C:\\a.wma\r\nab\r\n\r\nxyz\r\nC:\\trailing space.wma \r\n  x\r\nhttp://h/s.mp3\nxy:z\nnul\0.wav\n"
         "file://E:/z%41.wav\nfile:ab:c.wav\nlast"s,
         {"||", "C:\\a.wma|||", "C:\\lists\\xyz|||", "C:\\trailing space.wma |||", "C:\\lists\\  x|||",
          "http://h/s.mp3|||r", "xy:z|||r", "E:\\zA.wav|||", "C:\\lists\\last|||"}},
        {"list", "\xEF\xBB\xBF" "caf\xC3\xA9.wav\n", {"||u", "caf\xC3\xA9.wav|||u"}},
        // Entry list: the host's line rule for paths; texts per ENTRY and at the top.
        {"C:\\lists\\a.asx",
         "<ASX version = \"3.0\">\r\n<TITLE> Disc &amp; Co &#233;&#65; </TITLE><Author>Band</Author>\r\n"
         "<ENTRY><TITLE>One</TITLE><AUTHOR>A</AUTHOR>\r\n  <REF HREF=\"C:\\Music\\One.wma\"/>\r\n</ENTRY>\r\n"
         "  <ref href=\"C:\\Music\\Two.mp3\" />\r\n"
         "<REF HREF = \"C:\\a b\\Three.wav\"/><REF HREF=\"second.wma\"/>\r\n"
         "<ENTRY><TITLE>X</TITLE><REF HREF=\"x.wma\"/></ENTRY>\r\n<REF HREF=C:\\noquote.wma/>\r\n"
         "<Entry><Title>Live</Title>\r\n<Ref href=\"mms://h/live\"/>\r\n</Entry>\r\n<REF HREF=\"\"/>\r\n"
         "<REF HREF=\"unterminated.wma\r\n<ENTRY><TITLE>Lost</TITLE>\r\n<REF HREF=\"y.wma\"/>\r\n</ASX>\r\n",
         {"Disc & Co &#233;A|Band|", "C:\\Music\\One.wma|One|A|", "C:\\Music\\Two.mp3\" |||",
          "C:\\a b\\Three.wav\"/><REF HREF=\"second.wma|||", "C:\\lists\\x.wma\"/></ENTRY|X||",
          "mms://h/live|Live||r", "C:\\lists\\unterminated.wma|||", "C:\\lists\\y.wma|||"}},
        {"C:\\lists\\a.xml", "\xEF\xBB\xBF<asx><entry><title>Caf&#233;</title>\n<ref href=\"b.wma\"/>\n</entry></asx>",
         {"||u", "C:\\lists\\b.wma|Caf\xC3\xA9||u"}},
        // M3U: #EXTINF names the next path; a dangling one names nothing.
        {"C:\\lists\\a.m3u",
         "#EXTM3U\r\n#PLAYLIST: Road Trip \r\n#EXTINF:123, Artist - Song \r\nsong.mp3\r\n\r\n#EXTINF:5,No dash\r\n"
         "# comment\r\n\\\\srv\\share\\b.mp3\r\n#EXTINF:7, - Lead\r\nD:rel.mp3\r\n/abs/c.mp3\r\n"
         "#EXTINF:9,Lost - Song\r\n",
         {"Road Trip||", "C:\\lists\\song.mp3|Song|Artist|", "\\\\srv\\share\\b.mp3|No dash||", "D:rel.mp3|- Lead||",
          "/abs/c.mp3|||"}},
        {"/lists/a.m3u8", "#EXTINF:1,Caf\xC3\xA9\nhttps://h/x.mp3\nab\nabc\n   \n",
         {"||u", "https://h/x.mp3|Caf\xC3\xA9||ur", "/lists/abc|||u"}},
        // PLS: ordered by N; TitleN without FileN and File0 give nothing.
        {"C:\\lists\\a.pls",
         "[playlist]\r\nNumberOfEntries=4\r\nFile2=b.mp3\r\nTitle2= Second \r\nFile1=C:\\a.mp3\r\nTitle3=No file\r\n"
         "File10=rtsp://h/s\r\nLength1=-1\r\nFile0=zero.mp3\r\nFile000000003=c.mp3\nFile0000000004=d.mp3\n",
         {"||", "C:\\a.mp3|||", "C:\\lists\\b.mp3|Second||", "C:\\lists\\c.mp3|No file||", "rtsp://h/s|||r"}},
        {"a.pls", "[playlist]\nFile1=caf\xC3\xA9.mp3\n", {"||u", "caf\xC3\xA9.mp3|||u"}},
        {"a.pls", "[playlist]\nFile1=caf\xE9.mp3\n", {"||", "caf\xE9.mp3|||"}},
        {"a.pls", "[playlist]\nFile1=\xF4\x8F\xBF\xBF\n", {"||u", "\xF4\x8F\xBF\xBF|||u"}},
        {"a.pls", "[playlist]\nFile1=\xF4\x90\x80\x80\n", {"||", "\xF4\x90\x80\x80|||"}},
        {"a.pls", "[playlist]\nFile1=\xED\xA0\x80\n", {"||", "\xED\xA0\x80|||"}},
        {"a.pls", "[playlist]\nFile1=\xE0\x9F\xBF\n", {"||", "\xE0\x9F\xBF|||"}},
        {"a.pls", "[playlist]\nFile1=\xC2\x80\n", {"||u", "\xC2\x80|||u"}},
        {"a.pls", "[playlist]\nFile1=\xC0\xAF\n", {"||", "\xC0\xAF|||"}},
        {"a.txt", "file:///C:/a%41\n", {"||", "C:\\aA|||"}},
        // As other programs write them: UTF-16 with a mark (or an XML declaration) except the
        // host's format, UTF-8 without a mark, file URIs, escaped relative lines.
        {"C:\\lists\\a.m3u", Utf16(u"#EXTM3U\n#EXTINF:1,A - \u00E9t\u00E9 \U0001F3B5\nx.mp3\n"),
         {"||u", "C:\\lists\\x.mp3|\xC3\xA9t\xC3\xA9 \xF0\x9F\x8E\xB5|A|u"}},
        {"C:\\lists\\a.pls", Utf16(u"[playlist]\nFile1=\u03B1.mp3\nTitle1=Band - Tune\n", true),
         {"||u", "C:\\lists\\\xCE\xB1.mp3|Tune|Band|u"}},
        {"C:\\lists\\a.wpl", Utf16(u"<?wpl version=\"1.0\"?><smil><body><media src=\"b.wma\"/></body></smil>"),
         {"||u", "C:\\lists\\b.wma|||u"}},
        {"C:\\lists\\a", Utf16(u"<?xml version=\"1.0\" encoding=\"UTF-16\"?><playlist version=\"1\" "
                                 u"xmlns=\"http://xspf.org/ns/0/\"><trackList><track><location>c.flac</location>"
                                 u"</track></trackList></playlist>", true, false),
         {"||u", "C:\\lists\\c.flac|||u"}},
        {"C:\\lists\\a.txt", Utf16(u"C:\\a.wav\n"), {"||"}},
        {"C:\\lists\\a.m3u",
         "#EXTM3U\n  #EXTINF:1,X - Y\n\t# comment\n\xCE\xB1\xCE\xB2.mp3\nfile:///C:/M/caf%C3%A9.mp3\na%20b%2.mp3\n",
         {"||u", "C:\\lists\\\xCE\xB1\xCE\xB2.mp3|Y|X|u", "C:\\M\\caf\xC3\xA9.mp3|||u",
          "C:\\lists\\a%20b%2.mp3>C:\\lists\\a b%2.mp3|||u"}},
        {"C:\\lists\\a.m3u", "caf\xE9.mp3\nfile:///C:/M/caf%C3%A9.mp3\n%00.mp3\n",
         {"||", "C:\\lists\\caf\xE9.mp3|||", "C:\\M\\caf\xC3\xA9.mp3|||u", "C:\\lists\\%00.mp3|||"}},
        // WPL: entities (invalid numeric references dropped); an unterminated tag ends the list.
        {"C:\\lists\\a.wpl",
         "\xEF\xBB\xBF<?wpl version=\"1.0\"?>\r\n<smil><head><meta name=\"Generator\" content=\"x\"/>"
         "<meta name=\"author\" content=\"DJ &quot;K&quot;\"/>\r\n"
         "<title>Mix&#x263A;&#0;&#xD800;&#x110000;&#1114111;&bogus;&#x0000000041;&#x00000000042;</title></head>"
         "<body><seq><media src=\"..\\a&amp;b.wma\"/><media src='C:\\c.mp3' tid=\"{1}\"/><media tid=\"x\"/>"
         "<media src=\"a&#10;b.mp3\"/><media src=e.mp3/><media src=\"d.mp3",
         {"Mix\xE2\x98\xBA\xF4\x8F\xBF\xBF&bogus;A&#x00000000042;|DJ \"K\"|u", "C:\\lists\\..\\a&b.wma|||u",
          "C:\\c.mp3|||u", "C:\\lists\\e.mp3|||u"}},
        // XSPF: file:// locations decoded; a NUL or an unterminated track gives nothing.
        {"C:\\lists\\a.xspf",
         "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<playlist version=\"1\" xmlns=\"http://xspf.org/ns/0/\">\n"
         "<title><![CDATA[R&B <Best>]]></title><creator>Various</creator><extension><title>No</title></extension>\n"
         "<trackList>\n"
         "<track><location>file:///C:/x/caf%C3%A9%20y.wav</location><title>One</title><creator>A</creator></track>\n"
         "<track><location> file://server/share/a.wav </location><extension><title>No</title></extension></track>\n"
         "<track><location>sub/b%20c.flac</location><location>second.flac</location></track>\n"
         "<track><location>http://h/s.mp3</location></track>\n<track><location>file:///C:/n%00.wav</location></track>\n"
         "<track><title>No location</title></track>\n<track><location>file://localhost/D|/y.wav</location></track>"
         "<track><location>file:///C:/cut.wav</location>\n</trackList>",
         {"R&B <Best>|Various|u", "C:\\x\\caf\xC3\xA9 y.wav|One|A|u", "\\\\server\\share\\a.wav|||u",
          "C:\\lists\\sub\\b c.flac|||u", "http://h/s.mp3|||ur", "D:\\y.wav|||u"}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(c.expected, Render(PlaylistReader::Read(c.path, c.content))) << c.path;
    }
}

} // namespace
