#include "platform/expr/expression.h"

#include "platform/expr/datetime.h"

#include <gtest/gtest.h>

#include <pthread.h>

#include <functional>
#include <string>

using namespace qv::expr;

namespace {

// A song record as the table driver would bind it: fixed-length text fields
// arrive padded with blanks.
struct SongFixture : ::testing::Test {
    std::string artist = "Kate Bush                     ";
    std::string title = "Wuthering Heights             ";
    std::string category = "Art Rock                      ";
    std::int64_t id = 17, bpm = 120, time = 22501, side = 1;
    std::int64_t released = dateFromYmd(1978, 1, 20);
    Decimal value{1250, 2};
    std::int64_t globalSide = 1;
    NameTable names;
    FixedClock clock{dateFromYmd(2024, 6, 1), timeFromHms(9, 30, 0)};
    ScopedClock scope{clock};

    SongFixture()
    {
        names.bind("SNG:Artist", [this] { return Value(artist); });
        names.bind("SNG:Title", [this] { return Value(title); });
        names.bind("SNG:Category", [this] { return Value(category); });
        names.bind("SNG:ID", [this] { return Value(id); });
        names.bind("SNG:BeatsPerMinute", [this] { return Value(bpm); });
        names.bind("SNG:Time", [this] { return Value(time); });
        names.bind("SNG:Side", [this] { return Value(side); });
        names.bind("SNG:ReleaseDate", [this] { return Value(released); });
        names.bind("ALB:Value", [this] { return Value(value); });
        names.bind("GLO:Side", [this] { return Value(globalSide); });
        names.bindProcedure("SelectSNG:Artist", [](std::span<const Value>) { return Value("Kate Bush"); });
        names.bindProcedure("Twice", [](std::span<const Value> a) { return Value(a.empty() ? 0 : a[0].toInt() * 2); });
    }

    Value eval(const std::string& text)
    {
        Evaluation r = evaluate(text, names);
        EXPECT_TRUE(r.ok()) << text << ": " << r.error.message << " at " << r.error.position;
        return r.value;
    }
};

TEST_F(SongFixture, OperatorsAndPrecedence)
{
    struct Case {
        const char* text;
        const char* result;
    };
    const Case cases[] = {
        {"1+2*3", "7"},
        {"(1+2)*3", "9"},
        {"-2^2", "4"},
        {"2^10", "1024"},
        {"7/2", "3.5"},
        {"6/3", "2"},
        {"7%3", "1"},
        {"5/0", "0"},
        {"5%0", "0"},
        {"0.1+0.2", "0.3"},
        {"1.50*2", "3"},
        {"1/3", "0.333333"},
        {"'a'&'b'&1", "ab1"},
        {"'2'+'3'", "5"},
        {"1+2&3", "33"},
        {"1=1", "1"},
        {"1<>1", "0"},
        {"2~=3", "1"},
        {"2=<2", "1"},
        {"3=>4", "0"},
        {"3~<4", "0"},
        {"3~>4", "1"},
        {"NOT 1=2", "1"},
        {"~(1=1)", "0"},
        {"1=1 AND 2=3", "0"},
        {"1=2 OR 2=2", "1"},
        {"1 XOR 1", "0"},
        {"1=1 OR 1=1 AND 1=0", "1"}, // AND binds tighter than OR
        {"not 0 and 1", "1"},
        {"'it''s'", "it's"},
        {"''", ""},
        {"--3", "3"},
        {"+4", "4"},
        {"2.50", "2.5"},
        {"9223372036854775807+1>0", "1"}, // no wrap-around
        {"900000000000000000*100>0", "1"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(eval(c.text).toString(), c.result) << c.text;
}

TEST_F(SongFixture, StringComparisonsIgnoreTrailingBlanksButNotCase)
{
    struct Case {
        const char* text;
        bool result;
    };
    const Case cases[] = {
        {"SNG:Artist='Kate Bush'", true},
        {"SNG:Artist='Kate Bush   '", true},
        {"SNG:Artist='kate bush'", false}, // case matters...
        {"UPPER(SNG:Artist)=UPPER('kate bush')", true}, // ...unless asked not to
        {"LOWER(SNG:Artist)='kate bush'", true},
        {"SNG:Artist=' Kate Bush'", false}, // leading blanks count
        {"SNG:Artist<'Kate Bushz'", true},
        {"SNG:Artist>'Kate'", true},
        {"'B'<'a'", true}, // byte order
        {"'10'<'9'", true}, // two strings compare as text
        {"SNG:ID='17'", true}, // number and numeric text
        {"SNG:ID='  17 '", true},
        {"SNG:ID='x'", false}, // text that is no number compares as text
        {"SNG:ID=''", false}, // a blank string reads as 0
        {"0=''", true},
        {"ALB:Value=12.5", true}, // 12.50 = 12.5
        {"ALB:Value>12.49", true},
        {"ALB:Value=12.5000001", false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(eval(c.text).truthy(), c.result) << c.text;
}

TEST_F(SongFixture, NamesAreCaseBlind)
{
    EXPECT_EQ(eval("sng:artist").toString(), artist);
    EXPECT_EQ(eval("SNG:ARTIST").toString(), artist);
    EXPECT_EQ(eval("selectsng:artist()").toString(), "Kate Bush");
    EXPECT_EQ(eval("TWICE(SNG:ID)").toInt(), 34);
}

TEST_F(SongFixture, DateFunctions)
{
    struct Case {
        const char* text;
        std::int64_t result;
    };
    const Case cases[] = {
        {"YEAR(SNG:ReleaseDate)", 1978},
        {"MONTH(SNG:ReleaseDate)", 1},
        {"DAY(SNG:ReleaseDate)", 20},
        {"TODAY()", dateFromYmd(2024, 6, 1)},
        {"CLOCK()", timeFromHms(9, 30, 0)},
        {"DATE(1,1,1900)", dateFromYmd(1900, 1, 1)},
        {"DATE(13,1,1999)", dateFromYmd(2000, 1, 1)},
        {"DATE(3,0,2000)", dateFromYmd(2000, 2, 29)},
        {"DATE(1,1,1801)", 4},
        {"DATE(12,28,1800)", 0},
        {"YEAR(TODAY())", 2024},
        {"YEAR(1995)", 1806}, // a bare year read as a day number
        {"TODAY()-SNG:ReleaseDate>365", 1},
    };
    for (const auto& c : cases)
        EXPECT_EQ(eval(c.text).toInt(), c.result) << c.text;
}

TEST_F(SongFixture, StringFunctions)
{
    struct Case {
        const char* text;
        const char* result;
    };
    const Case cases[] = {
        {"CLIP(SNG:Artist)", "Kate Bush"},
        {"CLIP('  a  ')", "  a"},
        {"LEFT('  ab')", "ab  "},
        {"LEFT('  ab',3)", "ab "},
        {"RIGHT('ab  ')", "  ab"},
        {"RIGHT('ab',4)", "  ab"},
        {"CENTER('ab',6)", "  ab  "},
        {"UPPER('Björk')", "BJÖRK"},
        {"LOWER('ÉCLAT')", "éclat"},
        {"SUB('abcdef',2,3)", "bcd"},
        {"SUB('abcdef',5,10)", "ef"},
        {"SUB('abcdef',-2,2)", "ef"},
        {"SUB('abcdef',0,2)", "a"},
        {"SUB('abcdef',9,2)", ""},
        {"SUB('abcdef',3,-1)", ""},
        {"SUB('Björk',3,2)", "ör"},
        {"SUB('abcdef',-(10^30),10^30)", "abcdef"}, // huge positions and counts
        {"SUB('abcdef',2,10^400)", "bcdef"},
        {"LEN('Björk')", "5"},
        {"LEN(SNG:Artist)", "30"},
        {"LEN(CLIP(SNG:Artist))", "9"},
        {"CHR(65)&CHR(233)", "Aé"},
        {"VAL('A')", "65"},
        {"VAL('é')", "233"},
        {"FORMAT(SNG:Time,@T4)", "0:03:45"},
        {"FORMAT(SNG:BeatsPerMinute,@n_4b)", " 120"},
        {"FORMAT(2,@p(<)p)", "(2)"},
        {"FORMAT(SNG:ReleaseDate,'@d6')", "20/01/1978"},
        {"DEFORMAT('0:03:45',@T4)", "22501"},
        {"DEFORMAT('1,234',@n-14)", "1234"},
        {"FORMAT(SNG:Side,@p(<)pb) & '|'", "(1)|"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(eval(c.text).toString(), c.result) << c.text;
}

TEST_F(SongFixture, SearchAndChoiceFunctions)
{
    struct Case {
        const char* text;
        std::int64_t result;
    };
    const Case cases[] = {
        {"INSTRING('ROCK',UPPER(SNG:Category),1)", 5},
        {"INSTRING('ROCK',UPPER(SNG:Category),1,1)>0", 1},
        {"INSTRING('Pop',SNG:Category)", 0},
        {"INSTRING('b','abcabc',1,3)", 5},
        {"INSTRING('ca','abcabc',2)", 3}, // only at positions 1, 3, 5
        {"INSTRING('b','abcabc',3)", 0},
        {"INSTRING('b','abcabc',-1,6)", 5}, // backwards
        {"INSTRING('ö','Björk')", 3},
        {"INSTRING('k','Björk Björk',1,6)", 11}, // counted in characters past a two-byte one
        {"INSTRING('x','abcabc',10^30,1)", 0}, // huge steps go past the end
        {"INSTRING('a','abcabc',-(10^30),4)", 4},
        {"INRANGE(SNG:BeatsPerMinute,108,132)", 1},
        {"INRANGE(SNG:BeatsPerMinute,121,132)", 0},
        {"INRANGE('m','a','z')", 1},
        {"INLIST('b','a','b','c')", 2},
        {"INLIST(CLIP(SNG:Artist),'Kate Bush')", 1},
        {"INLIST('d','a','b')", 0},
        {"CHOOSE(2,10,20,30)", 20},
        {"CHOOSE(9,10,20,30)", 30}, // out of range: the last
        {"CHOOSE(1=1,10,20)", 10},
        {"CHOOSE(1=2,10,20)", 20},
        {"ABS(-3)", 3},
        {"INT(-3.7)", -3},
        {"NUMERIC('12.5')", 1},
        {"NUMERIC('1x')", 0},
    };
    for (const auto& c : cases)
        EXPECT_EQ(eval(c.text).toInt(), c.result) << c.text;
    EXPECT_EQ(eval("ROUND(2.345,0.01)").toString(), "2.35");
    EXPECT_EQ(eval("ROUND(1234,100)").toString(), "1200");
    EXPECT_EQ(eval("ROUND(ALB:Value,1)").toString(), "13");
}

TEST_F(SongFixture, ArithmeticBeyondTheExactRangeGoesOnInFloatingPoint)
{
    using K = Value::Kind;
    struct Case {
        const char* text;
        const char* result;
        Value::Kind kind;
    };
    // 999999999999999999 is the largest integer a literal gives.
    const Case cases[] = {
        // Inside the range results stay exact.
        {"2^62", "4611686018427387904", K::Integer},
        {"999999999999999999+999999999999999999", "1999999999999999998", K::Integer},
        {"123456789012345678.5*10", "1234567890123456785", K::Decimal},
        {"0.0000000005*0.000000001", "0.000000000000000001", K::Decimal}, // rounded
        {"1/3", "0.333333", K::Decimal},
        {"ROUND(100,0.00000000000000001)", "100", K::Decimal},
        {"ROUND(123456789012345678,0.01)", "123456789012345678", K::Decimal},
        {"999999999999999999%0.001", "0", K::Decimal},
        {"2.999999%3", "2.999999", K::Decimal},
        // Beyond it they are reals, neither saturated nor wrapped.
        {"4611686018427387904*2", "9.22337203685478e+18", K::Real},
        {"2^63", "9.22337203685478e+18", K::Real},
        {"(-2)^63", "-9.22337203685478e+18", K::Real},
        {"123456789012*123456789012", "1.52415787531535e+22", K::Real},
        {"-123456789012.5*123456789012", "-1.52415787532152e+22", K::Real},
        {"-999999999999999999-999999999999999999*9", "-1e+19", K::Real},
        {"999999999999999999/0.001", "1e+21", K::Real},
        {"0.0000000001*0.0000000001", "1e-20", K::Real}, // not 0
        {"999999999999999999*10%7", "3", K::Real},
        {"10^30", "1e+30", K::Real},
        {"10^-5", "1e-05", K::Real},
        {"ROUND(999999999999999999*10,1000)", "1e+19", K::Real},
        {"ROUND(999999999999999999*9+100000000000000000,950000000000000000)", "9.5e+18", K::Real},
        {"ROUND(10^30,1)", "1e+30", K::Real},
        {"ABS(-999999999999999999*10)", "1e+19", K::Real},
        {"INT(10^30)", "1e+30", K::Real},
        {"INT(-999999999999999999*10.5)", "-1.05e+19", K::Real},
        // Beyond the reals too: infinity, larger than any number.
        {"10^400", "inf", K::Real},
        {"-(10^400)", "-inf", K::Real},
        {"ROUND(10^400,1)", "inf", K::Real},
        {"ABS(-(10^400))", "inf", K::Real},
        {"INT(10^400)", "inf", K::Real},
        // What has no answer gives 0, as a division by zero does.
        {"0^-1", "0", K::Integer},
        {"(-8)^(1/3)", "0", K::Integer},
        {"10^400-10^400", "0", K::Integer},
    };
    for (const auto& c : cases) {
        Value v = eval(c.text);
        EXPECT_EQ(v.toString(), c.result) << c.text;
        EXPECT_EQ(v.kind(), c.kind) << c.text;
    }
}

TEST_F(SongFixture, ComparisonsWithHugeValues)
{
    struct Case {
        const char* text;
        bool result;
    };
    const Case cases[] = {
        {"10^400>10^300", true},
        {"-(10^400)<-(10^300)", true},
        {"10^400=10^500", true}, // both infinite
        {"999999999999999999*10=999999999999999999*100", false},
        {"999999999999999999*100>999999999999999999*10", true},
        {"123456789012*123456789012>4611686018427387904*2", true},
        {"999999999999999999*10>999999999999999999", true},
        {"-999999999999999999*10<-999999999999999999", true},
        {"INRANGE(999999999999999999*10,999999999999999999,10^20)", true},
        {"INRANGE(10^400,0,10^300)", false},
        {"0.0000000001*0.0000000001>0", true},
    };
    for (const auto& c : cases)
        EXPECT_EQ(eval(c.text).truthy(), c.result) << c.text;
}

TEST_F(SongFixture, TheFiltersTheProgramBuilds)
{
    // The playlist generator's filter, with every part switched on.
    const std::string filter
        = "SNG:Time>6000 AND SNG:Time<180000 AND ((YEAR(SNG:ReleaseDate)>=1970 AND "
          "YEAR(SNG:ReleaseDate)<=YEAR(TODAY())) OR (SNG:ReleaseDate>=1970 AND SNG:ReleaseDate<=TODAY())) "
          "AND (INSTRING('ROCK',UPPER(SNG:Category),1)>0) AND (INRANGE(SNG:BeatsPerMinute,108,132))";
    Expression e = Expression::compile(filter, &names);
    ASSERT_TRUE(e.ok()) << e.error().message;
    EXPECT_TRUE(e.test(names));
    bpm = 140;
    EXPECT_FALSE(e.test(names));
    bpm = 120;
    category = "Pop";
    EXPECT_FALSE(e.test(names));

    Expression side = Expression::compile("(SNG:Side=GLO:Side)", &names);
    EXPECT_TRUE(side.test(names));
    globalSide = 2;
    EXPECT_FALSE(side.test(names));

    // An empty filter sets no condition.
    EXPECT_TRUE(Expression::compile("   ", &names).test(names));
}

TEST_F(SongFixture, QuotedUserTextCannotBreakOut)
{
    const char* hostile[] = {"O'Connor", "'", "''", "x' OR 1=1 OR 'x", "a,b)", "@n3", "\\'", ""};
    for (const char* text : hostile) {
        artist = text;
        Expression e = Expression::compile("SNG:Artist=" + quoteString(text), &names);
        ASSERT_TRUE(e.ok()) << text << ": " << e.error().message;
        EXPECT_TRUE(e.test(names)) << text;
        artist = "someone else";
        EXPECT_FALSE(e.test(names)) << text;
        EXPECT_EQ(e.names(), std::vector<std::string>{"SNG:Artist"});
    }
}

TEST_F(SongFixture, MalformedExpressionsReportWhereAndWhy)
{
    struct Case {
        const char* text;
        int position;
        const char* message;
    };
    const Case cases[] = {
        {"1+", 3, "ends too early"},
        {"(1+2", 5, "Expected ')'"},
        {"1+2)", 4, "Unexpected ')'"},
        {"'abc", 1, "Unterminated string"},
        {"SNG:Nope=1", 1, "Unknown name 'SNG:Nope'"},
        {"Nope(1)", 1, "Unknown procedure 'Nope'"},
        {"SNG:Artist(1)", 1, "not a procedure"},
        {"YEAR()", 1, "YEAR takes 1 argument, not 0"},
        {"INSTRING('a')", 1, "INSTRING takes 2 to 4 arguments"},
        {"CHOOSE(1)", 1, "at least 2"},
        {"1 # 2", 3, "Unexpected character '#'"},
        {"SNG:ID = = 1", 10, "Unexpected '='"},
        {"1.2.3", 1, "Malformed number"},
        {"12abc", 1, "Malformed number"},
        {"AND 1", 1, "Unexpected 'AND'"},
        {"FORMAT(1,@x9)", 10, "Invalid picture"},
        {"f(1,", 5, "ends too early"},
        {"SUB('a',1,2,3)", 1, "SUB takes 2 to 3 arguments"},
    };
    for (const auto& c : cases) {
        Expression e = Expression::compile(c.text, &names);
        ASSERT_FALSE(e.ok()) << c.text;
        EXPECT_NE(e.error().message.find(c.message), std::string::npos) << c.text << ": " << e.error().message;
        EXPECT_EQ(e.error().position, c.position) << c.text << ": " << e.error().message;
        Error err;
        EXPECT_EQ(e.evaluate(names, &err).toString(), "");
        EXPECT_EQ(err.message, e.error().message);
        EXPECT_FALSE(e.test(names));
    }
}

TEST_F(SongFixture, HostileInputNeverCrashes)
{
    std::string deep(5000, '(');
    deep += "1";
    deep += std::string(5000, ')');
    std::string longChain = "1";
    for (int i = 0; i < 3000; ++i)
        longChain += "+1";
    std::string longAnd = "1=1";
    for (int i = 0; i < 3000; ++i)
        longAnd += " AND 1=1";
    std::string nots(5000, '~');
    nots += "1";
    std::string minus(5000, '-');
    minus += "1";
    for (const std::string& text : {deep, nots, minus, std::string(100000, 'x')}) {
        Expression e = Expression::compile(text, &names);
        EXPECT_FALSE(e.ok()) << text.substr(0, 20);
        EXPECT_FALSE(e.error().message.empty());
    }
    // Long but flat filters are fine.
    Expression flat = Expression::compile(longAnd, &names);
    ASSERT_TRUE(flat.ok()) << flat.error().message;
    EXPECT_TRUE(flat.test(names));
    EXPECT_EQ(eval(longChain).toInt(), 3001);

    // Every prefix of a real filter either compiles or says why.
    const std::string filter = "(YEAR(SNG:ReleaseDate)>=1970 AND INSTRING('RO''CK',UPPER(SNG:Category),1,1)>0) "
                               "OR FORMAT(SNG:Side,@p(<)pb)='(1)' OR -SNG:ID ~= 3 & 'x'";
    for (std::size_t n = 0; n <= filter.size(); ++n) {
        Expression e = Expression::compile(filter.substr(0, n), &names);
        if (!e.ok()) {
            EXPECT_GE(e.error().position, 1);
            EXPECT_LE(e.error().position, static_cast<int>(n) + 1);
        }
        e.evaluate(names);
    }
}

// Runs body on a thread with a stack of the given size; running out of it
// ends the test program.
void onStackOf(std::size_t bytes, const std::function<void()>& body)
{
    pthread_attr_t attr;
    pthread_attr_init(&attr);
    pthread_attr_setstacksize(&attr, bytes);
    pthread_t thread;
    auto run = [](void* b) -> void* {
        (*static_cast<const std::function<void()>*>(b))();
        return nullptr;
    };
    ASSERT_EQ(pthread_create(&thread, &attr, run, const_cast<std::function<void()>*>(&body)), 0);
    pthread_join(thread, nullptr);
    pthread_attr_destroy(&attr);
}

TEST_F(SongFixture, NestingStopsAtTheLimitWellInsideAThreadsStack)
{
    names.bindProcedure("Same", [](std::span<const Value> a) { return a.empty() ? Value() : a[0]; });
    struct Shape {
        const char* what;
        const char* open; // repeated, then inner, then close as often
        const char* inner;
        const char* close;
        int levels; // per open
        const char* value; // nested as deeply as allowed
    };
    const Shape shapes[] = {
        {"brackets", "(", "SNG:ID", ")", 1, "17"},
        {"signs", "-", "SNG:ID", "", 1, "17"},
        {"NOT", "NOT ", "SNG:ID", "", 1, "1"},
        {"functions", "ABS(", "SNG:ID", ")", 1, "17"},
        {"arguments", "SUB(", "'abc'", ",1)", 1, "abc"},
        {"procedures", "Same(", "SNG:ID", ")", 1, "17"},
        {"a bracketed operand", "1+(", "SNG:ID", ")", 2, "49"},
        {"operands of tighter operators", "0<1+2*3^(", "1", ")", 5, "1"},
    };
    auto nested = [](const Shape& s, int times) {
        std::string text;
        for (int k = 0; k < times; ++k)
            text += s.open;
        text += s.inner;
        for (int k = 0; k < times; ++k)
            text += s.close;
        return text;
    };
    const std::string tooDeep = "nested more than " + std::to_string(Expression::kMaxNesting) + " levels deep";
    // A program thread has 1 MiB; the deepest expressions run in a quarter
    // of that, under every build.
    onStackOf(256 * 1024, [&] {
        for (const Shape& s : shapes) {
            const int most = Expression::kMaxNesting / s.levels;
            const std::string deepest = nested(s, most);
            Expression e = Expression::compile(deepest, &names);
            EXPECT_TRUE(e.ok()) << s.what << ": " << e.error().message;
            EXPECT_EQ(e.evaluate(names).toString(), s.value) << s.what;
            for (int times : {most + 1, 5000}) {
                Expression over = Expression::compile(nested(s, times), &names);
                EXPECT_FALSE(over.ok()) << s.what << " " << times;
                EXPECT_NE(over.error().message.find(tooDeep), std::string::npos)
                    << s.what << ": " << over.error().message;
            }
        }
    });
}

TEST_F(SongFixture, FailingProceduresAreReportedNotThrown)
{
    names.bindProcedure("Boom", [](std::span<const Value>) -> Value { throw std::runtime_error("disk gone"); });
    Expression e = Expression::compile("Boom()=1", &names);
    ASSERT_TRUE(e.ok());
    Error err;
    EXPECT_EQ(e.evaluate(names, &err).toString(), "");
    EXPECT_NE(err.message.find("disk gone"), std::string::npos);
    EXPECT_FALSE(e.test(names));
}

TEST_F(SongFixture, CompiledWithoutBindingsResolvesPerEvaluation)
{
    Expression e = Expression::compile("SNG:ID=17 AND Unbound=1");
    ASSERT_TRUE(e.ok());
    Error err;
    EXPECT_FALSE(e.test(names, &err));
    EXPECT_NE(err.message.find("Unknown name 'Unbound'"), std::string::npos);
    EXPECT_EQ(err.position, 15);
    names.bindValue("Unbound", Value(1));
    EXPECT_TRUE(e.test(names, &err));
    EXPECT_TRUE(err.empty());
}

TEST_F(SongFixture, CompiledOnceEvaluatedPerRow)
{
    Expression e = Expression::compile("SNG:ID % 2 = 0 AND CLIP(SNG:Artist) <> 'x'", &names);
    ASSERT_TRUE(e.ok());
    int hits = 0;
    for (id = 1; id <= 1000; ++id)
        hits += e.test(names);
    EXPECT_EQ(hits, 500);
    // Copies evaluate on their own.
    Expression copy = e;
    id = 4;
    EXPECT_TRUE(copy.test(names));
}

TEST_F(SongFixture, NamesAndConjunctsForTheTableDriver)
{
    Expression e = Expression::compile("SNG:ID>0 AND 120<=SNG:BeatsPerMinute AND UPPER(sng:artist)='KATE BUSH' AND "
                                       "(SNG:Side=GLO:Side OR SNG:ID=-5) AND SelectSNG:Artist()<>'' AND SNG:Id<>-3",
        &names);
    ASSERT_TRUE(e.ok()) << e.error().message;
    EXPECT_EQ(e.names(),
        (std::vector<std::string>{
            "SNG:ID", "SNG:BeatsPerMinute", "sng:artist", "SNG:Side", "GLO:Side", "SelectSNG:Artist"}));
    auto parts = e.conjuncts();
    ASSERT_EQ(parts.size(), 6u);
    ASSERT_TRUE(parts[0].simple);
    EXPECT_EQ(parts[0].simple->name, "SNG:ID");
    EXPECT_EQ(parts[0].simple->op, CompareOp::Gt);
    EXPECT_EQ(parts[0].simple->constant.toInt(), 0);
    ASSERT_TRUE(parts[1].simple); // constant on the left: turned round
    EXPECT_EQ(parts[1].simple->name, "SNG:BeatsPerMinute");
    EXPECT_EQ(parts[1].simple->op, CompareOp::Ge);
    ASSERT_TRUE(parts[2].simple);
    EXPECT_TRUE(parts[2].simple->upper);
    EXPECT_EQ(parts[2].simple->constant.toString(), "KATE BUSH");
    EXPECT_FALSE(parts[3].simple);
    EXPECT_EQ(e.text().substr(parts[3].begin, parts[3].end - parts[3].begin), "(SNG:Side=GLO:Side OR SNG:ID=-5)");
    EXPECT_FALSE(parts[4].simple);
    ASSERT_TRUE(parts[5].simple);
    EXPECT_EQ(parts[5].simple->op, CompareOp::Ne);
    EXPECT_EQ(parts[5].simple->constant.toInt(), -3);

    EXPECT_EQ(Expression::compile("SNG:ID=1 OR SNG:ID=2", &names).conjuncts().size(), 1u);
    EXPECT_TRUE(Expression::compile("", &names).conjuncts().empty());
}

// A condition's predicate, written compactly: "and(SNG:ID>0,?)".
std::string shape(const Predicate& p)
{
    static const char* ops[] = {"=", "<>", "<", "<=", ">", ">="};
    auto parts = [&](const char* kind) {
        std::string out = std::string(kind) + "(";
        for (std::size_t i = 0; i < p.parts.size(); ++i)
            out += (i ? "," : "") + shape(p.parts[i]);
        return out + ")";
    };
    const std::string field = (p.upper ? "UPPER " : "") + p.name;
    const std::string constant = p.constant.isString() ? quoteString(p.constant.str()) : p.constant.toString();
    switch (p.kind) {
    case Predicate::Kind::And:
        return parts("and");
    case Predicate::Kind::Or:
        return parts("or");
    case Predicate::Kind::Not:
        return parts("not");
    case Predicate::Kind::Compare:
        return field + ops[static_cast<int>(p.op)] + constant;
    case Predicate::Kind::Contains:
        return constant + " in " + field;
    case Predicate::Kind::Field:
        return "is " + field;
    case Predicate::Kind::Other:
        break;
    }
    return "?";
}

TEST_F(SongFixture, PredicatesForTheTableDriver)
{
    const std::string released = std::to_string(dateFromYmd(1978, 1, 20));
    const std::vector<std::pair<std::string, std::string>> cases{
        {"SNG:ID > 0", "SNG:ID>0"},
        {"120 <= SNG:BeatsPerMinute", "SNG:BeatsPerMinute>=120"},
        {"(SNG:ID) = -5", "SNG:ID=-5"},
        {"UPPER(SNG:Artist) = UPPER('kate bush')", "UPPER SNG:Artist='KATE BUSH'"},
        {"SNG:ReleaseDate >= DATE(1, 20, 1978)", "SNG:ReleaseDate>=" + released},
        {"SNG:Time < 2 * 60 + 5", "SNG:Time<125"},
        {"2 * 60 + 5 > SNG:Time", "SNG:Time<125"},
        {"ALB:Value = 12.50", "ALB:Value=12.5"},
        {"SNG:ID = 1 OR NOT (SNG:Side = 2 AND SNG:Time > 0)", "or(SNG:ID=1,not(and(SNG:Side=2,SNG:Time>0)))"},
        {"~SNG:ID = 1 AND SNG:ID + 0 > 5", "and(not(SNG:ID=1),?)"},
        {"INSTRING('bush', SNG:Artist)", "'bush' in SNG:Artist"},
        {"INSTRING('BU', UPPER(SNG:Artist), 1, 1) > 0", "'BU' in UPPER SNG:Artist"},
        {"INSTRING('BU', SNG:Artist, 1, 1) = 0", "not('BU' in SNG:Artist)"},
        {"0 <> INSTRING('b', SNG:Artist, 0, 0)", "'b' in SNG:Artist"},
        {"INSTRING(5, SNG:Artist)", "'5' in SNG:Artist"},
        // Not a search from the start, or a test of the position found.
        {"INSTRING('b', SNG:Artist, 2)", "?"},
        {"INSTRING('b', SNG:Artist, 1, 3)", "?"},
        {"INSTRING('b', SNG:Artist) = 1", "?"},
        {"INSTRING('b', SNG:Artist) >= 0", "?"},
        {"INSTRING(SNG:Title, SNG:Artist)", "?"},
        // Names and values that change while the expression stands.
        {"SNG:Side = GLO:Side", "?"},
        {"SNG:ReleaseDate > TODAY() - 30", "?"},
        {"SNG:ID = Twice(2)", "?"},
        {"SNG:ID = 1 XOR SNG:ID = 2", "?"},
        {"SNG:Artist OR NOT UPPER(SNG:Title)", "or(is SNG:Artist,not(is UPPER SNG:Title))"},
        {"SNG:Artist & ''", "?"},
        {"1 = 1", "?"},
    };
    for (const auto& [text, want] : cases) {
        Expression e = Expression::compile(text, &names);
        ASSERT_TRUE(e.ok()) << text << ": " << e.error().message;
        EXPECT_EQ(shape(e.predicate()), want) << text;
    }
    EXPECT_EQ(shape(Expression::compile("", &names).predicate()), "?");
}

TEST_F(SongFixture, OrderLists)
{
    Error err;
    auto order = parseOrder("UPPER(SNG:Artist),-SNG:Title, +SNG:ID", &names, &err);
    ASSERT_TRUE(err.empty()) << err.message;
    ASSERT_EQ(order.size(), 3u);
    EXPECT_FALSE(order[0].descending);
    EXPECT_TRUE(order[1].descending);
    EXPECT_FALSE(order[2].descending);
    EXPECT_EQ(order[0].expression.evaluate(names).toString(), "KATE BUSH                     ");
    EXPECT_EQ(order[2].expression.evaluate(names).toInt(), 17);
    EXPECT_TRUE(parseOrder("", &names, &err).empty());
    EXPECT_TRUE(err.empty());

    EXPECT_TRUE(parseOrder("SNG:ID,,SNG:Title", &names, &err).empty());
    EXPECT_FALSE(err.empty());
    EXPECT_TRUE(parseOrder("SNG:ID,SNG:Nope", &names, &err).empty());
    EXPECT_EQ(err.position, 8);
}

TEST(Quoting, DoublesEveryQuote)
{
    EXPECT_EQ(quoteString("abc"), "'abc'");
    EXPECT_EQ(quoteString("O'Connor"), "'O''Connor'");
    EXPECT_EQ(quoteString(""), "''");
    EXPECT_EQ(quoteString("''"), "''''''");
}

} // namespace
