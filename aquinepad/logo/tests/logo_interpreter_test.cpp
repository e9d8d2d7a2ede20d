// The command line's Logo: commands and their Chinese names, arithmetic, variables, REPEAT, IF,
// procedures and recursion, errors that leave everything as it was, the limits and what counts
// against them, stopping a line, and every example of the shipped tutorial.
#include "aquinepad/logo/logo_interpreter.h"
#include "aquinepad/logo/tests/fake_canvas.h"
#include "common/tests/gbk_literal.h"

#include <atomic>
#include <fstream>
#include <gtest/gtest.h>
#include <sstream>

using namespace aquinepad::logo;
using aquinepad::logo::testing::FakeCanvas;

namespace {

struct LogoTest : ::testing::Test {
    FakeCanvas canvas;
    Turtle turtle{canvas};
    LogoInterpreter logo;

    // Runs UTF-8 text as the window would hand it over (GBK); empty when it worked, else the reason.
    std::string run(const std::string& utf8Program) {
        const auto result = logo.run(G(utf8Program), turtle);
        return result ? std::string() : result.reason();
    }
    std::string where() const { return positionText(turtle.position()); }
};

TEST_F(LogoTest, MovementCommandsInEnglishAndChinese) {
    EXPECT_EQ(run("FD 50 rt 90 forward 12.5 LT 90 BK 10 right 180 LEFT 90"), "");
    EXPECT_EQ(where(), "[12.5,40]");
    EXPECT_DOUBLE_EQ(turtle.state().heading, 90);
    EXPECT_EQ(run("抬笔 回家 落笔 前进 20 右转 90 前进 10 左转 90 后退 5"), "");
    EXPECT_EQ(where(), "[10,15]");
    EXPECT_EQ(run("PU HOME PD 清屏 PE FD 5 PPT"), "");
    EXPECT_EQ(canvas.strokes.back(), "erase line (0,0) (0,5)");
    EXPECT_FALSE(turtle.state().eraser);
    // Full-width forms as a Chinese keyboard types them.
    EXPECT_EQ(run("ＦＤ　１０"), "");
    EXPECT_EQ(where(), "[0,15]");
}

TEST_F(LogoTest, ArithmeticHasPrecedenceAndParentheses) {
    EXPECT_EQ(run("FD 2 + 3 * 4"), "");
    EXPECT_EQ(where(), "[0,14]");
    EXPECT_EQ(run("HOME FD (2 + 3) * 4 - 10 / 4"), "");
    EXPECT_EQ(where(), "[0,17.5]");
    EXPECT_EQ(run("HOME FD -5 + 2 * -(3 - 1)"), ""); // unary minus binds tighter than anything
    EXPECT_EQ(where(), "[0,-9]");
    EXPECT_EQ(run("HOME FD 10-4-3"), ""); // left to right
    EXPECT_EQ(where(), "[0,3]");
}

TEST_F(LogoTest, RepeatNestsAndClosesASquare) {
    EXPECT_EQ(run("REPEAT 4 [FD 50 RT 90]"), "");
    EXPECT_EQ(canvas.strokes.size(), 4u);
    EXPECT_EQ(where(), "[0,0]");
    EXPECT_DOUBLE_EQ(turtle.state().heading, 0);
    canvas.strokes.clear();
    EXPECT_EQ(run("REPEAT 36 [RT 10 REPEAT 4 [FD 50 RT 90]]"), "");
    EXPECT_EQ(canvas.strokes.size(), 144u);
    EXPECT_EQ(run("REPEAT 0 [FD 1] REPEAT -3 [FD 1] REPEAT 2.9 [FD 1]"), ""); // counts truncate
    EXPECT_EQ(canvas.strokes.size(), 146u);
}

TEST_F(LogoTest, VariablesConditionsAndComparisons) {
    EXPECT_EQ(run("MAKE \"side 30 FD :SIDE MAKE \"Side :side + 5 FD :side"), "");
    EXPECT_EQ(where(), "[0,65]");
    EXPECT_EQ(run("IF :side = 35 [RT 90] IF :side > 100 [RT 90] IFELSE 1 >= 2 [FD 1] [FD 2]"), "");
    EXPECT_EQ(where(), "[2,65]");
    EXPECT_EQ(run("IF \"TRUE [BK 2] IF 2 <> 2 [FD 100] IF 1 <= 1 [FD 0]"), "");
    EXPECT_EQ(where(), "[0,65]");
    // Variables outlive the line that made them; a later line sees them.
    EXPECT_EQ(run("FD :SIDE"), "");
    EXPECT_EQ(where(), "[35,65]");
}

TEST_F(LogoTest, ProceduresTakeInputsRecurseAndOutput) {
    EXPECT_EQ(run("TO SQUARE :SIZE REPEAT 4 [FD :SIZE RT 90] END"), "");
    EXPECT_TRUE(canvas.strokes.empty());
    EXPECT_TRUE(logo.knowsProcedure("square"));
    EXPECT_EQ(run("square 20 SQUARE 40"), "");
    EXPECT_EQ(canvas.strokes.size(), 8u);
    // Recursion with a base case; inputs are local to each call.
    canvas.strokes.clear();
    EXPECT_EQ(run("TO STAIRS :N IF :N = 0 [STOP] FD 10 RT 90 FD 10 LT 90 STAIRS :N - 1 END STAIRS 3"), "");
    EXPECT_EQ(canvas.strokes.size(), 6u);
    EXPECT_EQ(where(), "[30,30]");
    // OUTPUT makes a procedure usable as a value; a factorial recurses through it.
    EXPECT_EQ(run("TO FACT :N IF :N < 2 [OUTPUT 1] OUTPUT :N * FACT :N - 1 END HOME FD FACT 5"), "");
    EXPECT_EQ(where(), "[0,120]");
    // Procedures may call one defined later on the same line, and themselves through another.
    EXPECT_EQ(run("TO A :N IF :N > 0 [FD 1 B :N - 1] END TO B :N A :N END HOME A 7"), "");
    EXPECT_EQ(where(), "[0,7]");
}

TEST_F(LogoTest, AFailingLineChangesNothing) {
    EXPECT_EQ(run("MAKE \"X 5 FD 10"), "");
    const auto strokes = canvas.strokes;
    const TurtleState before = turtle.state();

    EXPECT_EQ(run("FD 10 XYZ 5"), "不认识的命令：XYZ");
    EXPECT_EQ(run("FD 10 前后 5"), "不认识的命令：前后");
    // Fails while running, after it has drawn on its trial turtle.
    EXPECT_EQ(run("CS MAKE \"X 99 TO P END REPEAT 3 [FD 10 RT 90] FD 1 / 0"), "不能除以 0");
    EXPECT_EQ(run("REPEAT 2 [FD :NOPE]"), "变量 :NOPE 还没有值：先用 MAKE 给它一个值");
    EXPECT_EQ(canvas.strokes, strokes);
    EXPECT_EQ(turtle.state(), before);
    EXPECT_FALSE(logo.knowsProcedure("P"));
    EXPECT_EQ(run("FD :X"), "");
    EXPECT_EQ(where(), "[0,15]");
}

TEST_F(LogoTest, ErrorsSayWhatIsWrongInChinese) {
    EXPECT_EQ(run("FD"), "FD 缺少输入：它需要 1 个");
    EXPECT_EQ(run("REPEAT 4 [FD 10"), "缺少“]”");
    EXPECT_EQ(run("FD 10]"), "多余的“]”");
    EXPECT_EQ(run("FD (10"), "缺少“)”");
    EXPECT_EQ(run("FD 5 10"), "不知道怎样处理这个值：10（前面是不是少了一个命令？）");
    EXPECT_EQ(run("FD \"ABC"), "FD 需要一个数，得到的却是：ABC");
    EXPECT_EQ(run("REPEAT 2 3"), "REPEAT 需要一个方括号括起来的命令表，得到的却是：3");
    EXPECT_EQ(run("FD PU"), "PU 没有输出值，不能作为 FD 的输入");
    EXPECT_EQ(run("TO SQ :S FD :S"), "过程 SQ 缺少 END");
    EXPECT_EQ(run("TO FD :S END"), "FD 是 Logo 自带的命令，不能重新定义");
    EXPECT_EQ(run("REPEAT 2 [TO X END]"), "TO 只能写在最外层，不能放在方括号里");
    EXPECT_EQ(run("STOP"), "STOP 只能用在过程里");
    EXPECT_EQ(run("MAKE 5 5"), "MAKE 的第一个输入是带引号的变量名，例如 MAKE \"SIZE 50");
    EXPECT_EQ(run("IF \"MAYBE [FD 1]"), "IF 需要一个条件（比如 :N > 0），得到的却是：MAYBE");
    EXPECT_EQ(run("FD :"), "“:”后面要紧跟变量名，例如 :SIZE");
    EXPECT_EQ(canvas.strokes.size(), 0u);
}

TEST_F(LogoTest, RunawayRecursionAndEndlessLoopsStop) {
    LogoInterpreter limited(LogoLimits{.maxDepth = 50, .maxSteps = 10'000});
    auto reason = [&](const char* program) { return limited.run(program, turtle).reason(); };
    EXPECT_EQ(reason("TO DOWN :N FD 1 DOWN :N + 1 END DOWN 1"),
              "过程一层套一层已经超过 50 层，已停止：递归是不是少了用 IF … [STOP] 结束的条件？");
    EXPECT_EQ(reason("REPEAT 1000000000 [FD 1 RT 1]"),
              "已经执行了 10000 步还没有结束，已停止：是不是写了停不下来的循环或递归？");
    EXPECT_EQ(reason("REPEAT 1000000000 []"),
              "已经执行了 10000 步还没有结束，已停止：是不是写了停不下来的循环或递归？");
    EXPECT_TRUE(canvas.strokes.empty());
    EXPECT_EQ(turtle.state(), TurtleState{});

    // The default limits hold with the real stack: deep recursion is stopped, not crashed. Under the
    // address sanitizer every frame is several times larger, so the stack budget may stop it first.
    const std::string deep = run("TO DEEP :N IF 1 = 1 [REPEAT 1 [DEEP :N + 1]] END DEEP 1");
#ifdef __SANITIZE_ADDRESS__
    EXPECT_NE(deep.find("已停止"), std::string::npos) << deep;
#else
    EXPECT_NE(deep.find("500 层"), std::string::npos) << deep;
#endif
    EXPECT_NE(run("TO SPIN FD 1 RT 1 SPIN END SPIN").find("已停止"), std::string::npos);
    // Recursion from deep inside nested lists costs the stack the most for each call.
    std::string nested = "TO NEST :N ";
    for (int i = 0; i < 90; ++i)
        nested += "REPEAT 1 [";
    nested += "NEST :N + 1" + std::string(90, ']') + " END NEST 1";
    EXPECT_NE(run(nested).find("已停止"), std::string::npos);
    // Input nested beyond reason is refused while reading, before it could exhaust the stack.
    EXPECT_EQ(run("FD " + std::string(10'000, '(') + "1" + std::string(10'000, ')')),
              "括号或输入套得太深，请把这一行拆开来写");
    EXPECT_EQ(run("FD " + std::string(10'000, '-') + "1"), "括号或输入套得太深，请把这一行拆开来写");
    // A long flat sum is no nesting at all.
    std::string sum = "FD 0";
    for (int i = 0; i < 10'000; ++i)
        sum += " + 1";
    EXPECT_EQ(run(sum), "");
    EXPECT_EQ(where(), "[0,10000]");
}

// Counts strokes without keeping them, and raises the stop flag after a given number of lines.
struct CountingCanvas : TurtleCanvas {
    long lines = 0, ellipses = 0, clears = 0;
    long stopAfterLines = -1;
    std::atomic<bool> stop{false};
    void drawLine(TurtlePoint, TurtlePoint, Ink) override {
        if (++lines == stopAfterLines)
            stop = true;
    }
    void drawEllipse(TurtlePoint, double, double, Ink) override { ++ellipses; }
    void drawText(TurtlePoint, const std::string&, Ink) override {}
    void clear() override { ++clears; }
};

long stepsOf(const std::string& program) {
    CountingCanvas canvas;
    const LogoRun run = LogoInterpreter().execute(program, {}, canvas);
    EXPECT_EQ(run.end, LogoRun::End::Finished) << program << "\n" << run.reason;
    return run.steps;
}

const std::string kOutOf10000Steps = "已经执行了 10000 步还没有结束，已停止：是不是写了停不下来的循环或递归？";

// A step is a command; a stroke adds the pixels of it that land in the view, so a line a mile long
// costs what its visible part does, and one beyond the view or with the pen up costs nothing extra.
TEST_F(LogoTest, DrawingCostsThePixelsThatShow) {
    EXPECT_EQ(stepsOf("FD 100000"), stepsOf("FD 166")); // the view is 328 high: 164 up, and the pen's width
    EXPECT_GT(stepsOf("FD 166"), stepsOf("FD 10"));
    EXPECT_EQ(stepsOf("PU FD 100000"), 2);
    EXPECT_EQ(stepsOf("PU FD 100000 PD FD 100000"), 4);

    LogoInterpreter limited(LogoLimits{.maxDepth = 50, .maxSteps = 10'000});
    auto reason = [&](const std::string& program) {
        FakeCanvas fresh;
        Turtle start(fresh);
        return limited.run(program, start).reason();
    };
    EXPECT_EQ(reason("RT 90 REPEAT 1000 [FD 300 BK 300]"), kOutOf10000Steps);
    EXPECT_EQ(reason("RT 90 PU REPEAT 1000 [FD 300 BK 300]"), "");
    EXPECT_EQ(reason("PU FD 100000 PD RT 90 REPEAT 1000 [FD 300 BK 300]"), "");

    // A circle costs its outline, but never more than the view's perimeter (2208 px) however large it is,
    // and nothing when none of it shows: a huge one round the whole view, or one far away.
    EXPECT_EQ(reason("REPEAT 1000 [CIRCLE 100]"), kOutOf10000Steps);
    EXPECT_EQ(reason("REPEAT 1000 [PU CIRCLE 100 PD]"), "");
    EXPECT_EQ(reason("REPEAT 4000 [CIRCLE 1000000]"), "");
    EXPECT_EQ(stepsOf("CIRCLE 1000000"), 1);
    EXPECT_EQ(stepsOf("PU FD 100000 PD CIRCLE 100"), 4);
    EXPECT_GT(stepsOf("CIRCLE 300"), stepsOf("CIRCLE 100"));
    EXPECT_EQ(stepsOf("CIRCLE 400"), stepsOf("CIRCLE 420")); // both reach the corners (424 px out)
    EXPECT_EQ(stepsOf("CIRCLE 500"), 1);                     // all round the view
    // Its edge runs through the view, and costs as much of it as there is.
    EXPECT_EQ(stepsOf("PU RT 90 FD 1000000 PD CIRCLE 1000000"), 4 + stepsOf("CIRCLE 400"));
    EXPECT_EQ(reason("REPEAT 100 [CS]"), kOutOf10000Steps);

    // The window's case: half a million huge circles are cheap now that they cost what they draw.
    CountingCanvas counting;
    const LogoRun run = LogoInterpreter().execute("REPEAT 499999 [CIRCLE 1000000]", {}, counting);
    EXPECT_EQ(run.end, LogoRun::End::Finished) << run.reason;
    EXPECT_EQ(counting.ellipses, 499'999);
}

// Reading, keeping and comparing a word costs its length: a 32,700-character word compared over and
// over runs out of steps after a few hundred comparisons instead of a hundred thousand.
TEST_F(LogoTest, WordsCostTheirLength) {
    const std::string word(32'700, 'A');
    CountingCanvas counting;
    const LogoRun run =
        LogoInterpreter().execute("MAKE \"W \"" + word + " REPEAT 100000 [IF :W = :W [FD 0]]", {}, counting);
    EXPECT_EQ(run.end, LogoRun::End::Failed);
    EXPECT_EQ(run.reason, "已经执行了 1000000 步还没有结束，已停止：是不是写了停不下来的循环或递归？");
    EXPECT_LT(counting.lines, 300);
    EXPECT_LT(stepsOf("REPEAT 10000 [IF \"A = \"A [FD 0]]"), 40'000);               // short words cost next to nothing
    EXPECT_NEAR(stepsOf("MAKE \"W \"" + word), 2 * 32'700 / kCharactersPerStep, 3); // read, then kept
    // Names are words too: a long one is found by comparing all of it, every time it is used.
    const std::string name(5'000, 'N');
    EXPECT_GT(stepsOf("TO " + name + " :X END REPEAT 100 [" + name + " 1]"), 100 * 5'000 / kCharactersPerStep);
    EXPECT_GT(stepsOf("MAKE \"" + name + " 1 REPEAT 100 [FD :" + name + "]"), 100 * 5'000 / kCharactersPerStep);
}

// Whatever the steps, a line ends when its time is up: here a clock that gains a second each time it
// is read, so thirty readings are the thirty seconds allowed.
TEST_F(LogoTest, ALineEndsWhenItsTimeIsUp) {
    long readings = 0;
    LogoLimits limits;
    limits.clock = [&readings] { return std::chrono::steady_clock::time_point(std::chrono::seconds(readings++)); };
    LogoInterpreter slow(limits);
    EXPECT_EQ(slow.run("FD 10", turtle).reason(), "");
    EXPECT_EQ(slow.run("MAKE \"X 1 REPEAT 1000000 [FD 1 BK 1]", turtle).reason(),
              "已经运行了 30 秒还没有结束，已停止：是不是写了停不下来的循环或递归？");
    EXPECT_LT(readings, 60);
    EXPECT_EQ(canvas.strokes.size(), 1u); // the first line's
    EXPECT_EQ(where(), "[0,10]");
    EXPECT_EQ(slow.run("FD :X", turtle).reason(), "变量 :X 还没有值：先用 MAKE 给它一个值");
}

// A stopped line ends at the next step after the flag goes up, and keeps what it did: its strokes, the
// turtle where it got to, its procedures and variables, once keep() takes them over; until then the
// interpreter is as it was.
TEST_F(LogoTest, AStoppedLineKeepsWhatItDid) {
    CountingCanvas counting;
    counting.stopAfterLines = 10;
    const LogoRun stopped =
        logo.execute("TO P END MAKE \"N 0 REPEAT 1000 [FD 10 RT 90 MAKE \"N :N + 1]", {}, counting, &counting.stop);
    EXPECT_EQ(stopped.end, LogoRun::End::Stopped);
    EXPECT_EQ(counting.lines, 10);
    EXPECT_EQ(positionText({stopped.turtle.position.x, stopped.turtle.position.y}),
              "[10,10]"); // two turns past a square
    EXPECT_FALSE(logo.knowsProcedure("P"));
    logo.keep(LogoRun(stopped));
    EXPECT_TRUE(logo.knowsProcedure("P"));
    EXPECT_EQ(run("FD :N"), "");
    EXPECT_EQ(where(), "[0,9]");

    // A line given a stop flag that is already up does nothing but end.
    std::atomic<bool> up{true};
    CountingCanvas none;
    EXPECT_EQ(logo.execute("REPEAT 10 [FD 10]", {}, none, &up).end, LogoRun::End::Stopped);
    EXPECT_EQ(none.lines, 0);
}

// A quick try gives an answer for a short line, failures included, and none for a long one, which it
// leaves as if never tried.
TEST_F(LogoTest, AQuickTryAnswersOnlyForShortLines) {
    const auto shortLine = logo.runIfQuick(G("MAKE \"X 5 FD :X"), turtle, 100);
    ASSERT_TRUE(shortLine.has_value());
    EXPECT_TRUE(*shortLine);
    EXPECT_EQ(logo.runIfQuick(G("FD :NOPE"), turtle, 100)->reason(), "变量 :NOPE 还没有值：先用 MAKE 给它一个值");
    EXPECT_FALSE(logo.runIfQuick(G("MAKE \"X 1 REPEAT 1000 [FD 1]"), turtle, 100).has_value());
    EXPECT_EQ(canvas.strokes.size(), 1u);
    EXPECT_EQ(run("FD :X"), "");
    EXPECT_EQ(where(), "[0,10]");
}

TEST_F(LogoTest, DoubleByteNamesAreKeptWhole) {
    // 檢 is 0x99 0x7A in GBK: its second byte is 'z' and must not become 'Z'; 乚 ends in ']' (0x81 0x5D).
    EXPECT_EQ(run("TO 画檢乚 :边 FD :边 END 画檢乚 7"), "");
    EXPECT_EQ(where(), "[0,7]");
    EXPECT_EQ(run("画檢乚 3 ; a comment runs to the end of the line\nFD 1"), "");
    EXPECT_EQ(where(), "[0,11]");
}

// Example lines of the tutorial are those indented by four full-width spaces; each must run on its own,
// as a reader would type it into a fresh window.
TEST(LogoTutorial, EveryExampleRuns) {
    std::ifstream file(AQUINE_LOGO_TUTORIAL);
    ASSERT_TRUE(file) << AQUINE_LOGO_TUTORIAL;
    const std::string indent = "\u3000\u3000\u3000\u3000";
    std::string line;
    int examples = 0;
    while (std::getline(file, line)) {
        if (line.rfind(indent, 0) != 0 || line.substr(indent.size()).rfind("\u3000", 0) == 0)
            continue;
        FakeCanvas canvas;
        Turtle turtle(canvas);
        LogoInterpreter logo;
        const auto result = logo.run(G(line), turtle);
        EXPECT_TRUE(result) << line << "\n" << result.reason();
        EXPECT_FALSE(canvas.strokes.empty()) << line;
        ++examples;
    }
    EXPECT_GE(examples, 18);
}

} // namespace
