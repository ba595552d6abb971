// Page files: naming, the prolog, page ends, the two output streams, and
// gopen's refusals.
#include <sys/stat.h>

#include <filesystem>
#include <string>

#include "page_support.h"

namespace {

unsigned char* name(std::string& text)
{
    return reinterpret_cast<unsigned char*>(text.data());
}

int countOf(const std::string& text, const std::string& part)
{
    int n = 0;
    for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1))
        ++n;
    return n;
}

using PsdrawDocument = PageTest;

TEST_F(PsdrawDocument, NullNamesNumberThePageFilesAndEchoThem)
{
    StdoutCapture out;
    {
        psdraw page;
        EXPECT_EQ(page.gopen(nullptr), 0);
        EXPECT_EQ(page.gopen(nullptr), 1);
        EXPECT_EQ(page.gopen(nullptr), 2);
        EXPECT_STREQ(page.fname, "2.ps");
        EXPECT_EQ(page.fid[1], 1);
    }
    EXPECT_EQ(out.take(), "0.ps\n1.ps\n2.ps\n");
    for (const char* file : {"0.ps", "1.ps", "2.ps"})
        EXPECT_TRUE(fileExists(file)) << file;
    // Only the current page is ended by the destructor.
    EXPECT_EQ(bodyOf("1.ps"), "");
    EXPECT_EQ(bodyOf("2.ps"), "showpage\n");
}

TEST_F(PsdrawDocument, NamesGetPsOnlyWhenTheyHaveNoDot)
{
    std::string plain = "plot", eps = "plot.eps", dotted = "a.b.c";
    psdraw page;
    page.gopen(name(plain));
    EXPECT_STREQ(page.fname, "plot.ps");
    page.gopen(name(eps));
    EXPECT_STREQ(page.fname, "plot.eps");
    page.gopen(name(dotted));
    EXPECT_STREQ(page.fname, "a.b.c");
    for (const char* file : {"plot.ps", "plot.eps", "a.b.c"})
        EXPECT_TRUE(fileExists(file)) << file;
    EXPECT_FALSE(fileExists("plot.eps.ps"));
}

TEST_F(PsdrawDocument, NamesGivenAsTextAndNullNamesHoweverWrittenAreAccepted)
{
    StdoutCapture out;
    {
        psdraw page;
        const std::string held = "held";
        char buffer[] = "buffer.eps";
        EXPECT_EQ(page.gopen("plot"), 0);
        EXPECT_EQ(page.gopen(held.c_str()), 1);
        EXPECT_EQ(page.gopen(buffer), 2);
        EXPECT_EQ(page.gopen(NULL), 3);
        EXPECT_EQ(page.gopen(0), 4);
    }
    EXPECT_EQ(out.take(), "plot.ps\nheld.ps\nbuffer.eps\n3.ps\n4.ps\n");
}

TEST_F(PsdrawDocument, PrologOpensAndClosesEveryPageFile)
{
    {
        psdraw page;
        page.gopen(nullptr);
    }
    const std::string all = readFile("0.ps");
    EXPECT_EQ(all.rfind("%!\n%BeginProlog\n%Begin pslib header\n150 dict begin\n", 0), 0u);
    EXPECT_NE(all.find("\n/F0 {/Helvetica Y} bind def\n"), std::string::npos);
    EXPECT_NE(all.find("\n/F33 {/ZapfChancery-MediumItalic Y} bind def\n/#copies 1 def\n"
                       "%EndProlog\n/Times-Roman findfont 12 scalefont setfont\nshowpage\n"),
              std::string::npos);
    // 68 prolog lines, then the destructor's showpage.
    EXPECT_EQ(countOf(all, "\n"), 69);
    EXPECT_EQ(countOf(all, " bind def\n"), 34 + 5);
}

TEST_F(PsdrawDocument, ClsEndsThePageOnRemaindersZeroAndThree)
{
    StdoutCapture out;
    psdraw page;
    page.outmode = 2;
    page.gopen(nullptr);
    const std::string header = out.take();
    EXPECT_EQ(header, "0.ps\n%!\n/Times-Roman findfont 12 scalefont setfont\n");

    for (int n : {5, 3, -5, 0, 8}) {
        StdoutCapture each;
        const std::string before = body(page);
        page.cls(n);
        EXPECT_EQ(body(page), before + "showpage\n") << n;
        EXPECT_EQ(each.take(), "showpage\n") << n;
    }
    for (int n : {1, 4, -3, 2, -1}) {
        StdoutCapture each;
        const std::string before = body(page);
        page.cls(n);
        EXPECT_EQ(body(page), before) << n;
        EXPECT_EQ(each.take(), "") << n;
    }
}

TEST_F(PsdrawDocument, ConsoleModeWritesNoFile)
{
    StdoutCapture out;
    {
        psdraw page;
        page.outmode = 1;
        EXPECT_EQ(page.gopen(nullptr), 0);
        page.Show();
    }
    EXPECT_EQ(out.take(), "0.ps\n%!\n/Times-Roman findfont 12 scalefont setfont\n\nshowpage\n");
    EXPECT_FALSE(fileExists("0.ps"));
}

TEST_F(PsdrawDocument, UnopenedObjectWritesOnlyItsConsoleShowpage)
{
    StdoutCapture out;
    {
        psdraw idle;
        EXPECT_EQ(idle.curfile, -1);
        EXPECT_EQ(idle.getpage(), 0);
        EXPECT_EQ(idle.See(1, 2, 3), 0);
        idle.line(1, 2, 3, 4, 5);
        idle.print(42, 10, 10, 0);
    }
    {
        psdraw console;
        console.outmode = 1;
    }
    {
        psdraw both;
        both.outmode = 2;
    }
    EXPECT_EQ(out.take(), "showpage\nshowpage\n");
    EXPECT_TRUE(std::filesystem::is_empty(dir));
}

TEST_F(PsdrawDocument, QueriesAndNoOpsLeaveThePageAlone)
{
    psdraw page;
    page.gopen(nullptr);
    page.line(0, 0, 10, 10, 1);
    const std::string before = body(page);
    page.Reset();
    page.gend();
    EXPECT_EQ(page.getpage(), 0);
    EXPECT_EQ(page.See(7, 8, 9), 0);
    page.Show();
    EXPECT_EQ(body(page), before + "\n");
}

TEST_F(PsdrawDocument, SixthGopenIsRefusedAndDrawingStaysInTheFifth)
{
    StdoutCapture out;
    psdraw page;
    for (int k = 0; k < 5; ++k)
        EXPECT_EQ(page.gopen(nullptr), k);
    const std::string echoed = out.take();
    StdoutCapture sixth;
    EXPECT_EQ(page.gopen(nullptr), -1);
    EXPECT_EQ(sixth.take(), "");
    EXPECT_EQ(page.curfile, 4);
    EXPECT_STREQ(page.fname, "4.ps");
    EXPECT_FALSE(fileExists("5.ps"));
    page.Show();
    EXPECT_EQ(body(page), "\n");
    EXPECT_EQ(echoed, "0.ps\n1.ps\n2.ps\n3.ps\n4.ps\n");
}

TEST_F(PsdrawDocument, OverlongNamesAreRefusedNotCut)
{
    std::string longest(56, 'n');  // 56 + ".ps" fills the 59 characters
    std::string tooLong(57, 'n');
    std::string dottedTooLong = std::string(56, 'd') + ".eps";
    psdraw page;
    EXPECT_EQ(page.gopen(name(tooLong)), -1);
    EXPECT_EQ(page.gopen(name(dottedTooLong)), -1);
    EXPECT_EQ(page.curfile, -1);
    EXPECT_TRUE(std::filesystem::is_empty(dir));
    EXPECT_EQ(page.gopen(name(longest)), 0);
    EXPECT_EQ(std::string(page.fname), longest + ".ps");
    EXPECT_TRUE(fileExists(longest + ".ps"));
}

TEST_F(PsdrawDocument, UncreatableFileLeavesNothingToWriteTo)
{
    std::string missingDir = "no/such/dir/plot";
    std::string good = "next";
    psdraw page;
    EXPECT_EQ(page.gopen(name(missingDir)), -1);
    EXPECT_EQ(page.curfile, 0);
    EXPECT_EQ(page.fp[0], nullptr);
    page.boxf(10, 10, 20, 20, 3, 0);
    page.print(1.5, 10, 10, 0);
    page.cls(0);
    // The slot is spent; the next page gets the next number.
    EXPECT_EQ(page.gopen(name(good)), 1);
    page.line(1, 1, 2, 2, 0);
    EXPECT_EQ(body(page), " 0.000000 A\nN\n1 739 J\n2 738 L\nS\n");
}

TEST_F(PsdrawDocument, DrawingAfterClosingTheCurrentFileWritesNothing)
{
    std::string first = "first";
    psdraw page;
    page.gopen(name(first));
    page.line(1, 1, 2, 2, 0);
    page.gclose(0);
    const std::string closed = readFile("first.ps");
    page.line(3, 3, 4, 4, 0);
    page.print(12, 10, 10, 0);
    page.cls(0);
    page.Show();
    page.gclose(0);
    page.gclose(-1);
    page.gclose(3);
    EXPECT_EQ(readFile("first.ps"), closed);
    EXPECT_EQ(bodyOf("first.ps"), " 0.000000 A\nN\n1 739 J\n2 738 L\nS\n");
}

TEST_F(PsdrawDocument, EarlierPagesStayOpenUntilClosed)
{
    std::string a = "a", b = "b";
    {
        psdraw page;
        page.gopen(name(a));
        page.line(1, 1, 2, 2, 0);
        page.gopen(name(b));
        page.gclose(1);
        page.gclose(1);
        EXPECT_NE(page.fp[0], nullptr);
        EXPECT_EQ(page.fp[1], nullptr);
    }
    // The destructor ended no page in b (closed) and closed a without a
    // showpage, since a was no longer current.
    EXPECT_EQ(bodyOf("a.ps"), " 0.000000 A\nN\n1 739 J\n2 738 L\nS\n");
    EXPECT_EQ(bodyOf("b.ps"), "");
}

}  // namespace
