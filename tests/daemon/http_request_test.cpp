// The web face's reading of outside bytes, and the cost of password guesses on a virtual clock.
#include <gtest/gtest.h>

#include "daemon/core/guesses.h"
#include "daemon/http/request.h"

namespace pv7100::daemon {
namespace {

using namespace std::chrono_literals;

TEST(HttpRequest, NamesEachEndpointByItsPathAndNothingElse) {
  struct Case {
    std::string path;
    Endpoint endpoint;
    std::string name;
    std::uint64_t hold;
  };
  const std::vector<Case> cases = {
      {"/", Endpoint::asset, "index.html", 0},
      {"/remote.js", Endpoint::asset, "remote.js", 0},
      {"/api/state", Endpoint::state, "", 0},
      {"/api/commands", Endpoint::commandList, "", 0},
      {"/api/commands/zoom-plus", Endpoint::command, "zoom-plus", 0},
      {"/api/hold", Endpoint::hold, "", 0},
      {"/api/hold/42", Endpoint::renew, "", 42},
      {"/api/hold/42/release", Endpoint::release, "", 42},
      {"/api/outcomes/0f9a", Endpoint::outcome, "0f9a", 0},
      {"/api/outcomes/", Endpoint::notFound, "", 0},
      {"/api/events", Endpoint::events, "", 0},
      {"/metrics", Endpoint::metrics, "", 0},
      {"/../etc/passwd", Endpoint::notFound, "", 0},
      {"/.hidden", Endpoint::notFound, "", 0},
      {"/api/commands/Zoom_Plus", Endpoint::notFound, "", 0},
      {"/api/hold/042", Endpoint::notFound, "", 0},
      {"/api/hold/99999999999999999999", Endpoint::notFound, "", 0},
      {"/api/hold/1/renew", Endpoint::notFound, "", 0},
      {"/api/state/", Endpoint::notFound, "", 0},
  };
  for (const Case& c : cases) {
    const Route route = routeOf(c.path);
    EXPECT_EQ(route.endpoint, c.endpoint) << c.path;
    EXPECT_EQ(route.name, c.name) << c.path;
    EXPECT_EQ(route.hold, c.hold) << c.path;
  }
}

TEST(HttpRequest, ReadsAHoldsBodyAndSaysWhatIsWrong) {
  std::string error;
  const auto hold = readHoldBody(R"({"command": "zoom-plus", "for_ms": 1000})", true, error);
  ASSERT_TRUE(hold);
  EXPECT_EQ(hold->command, "zoom-plus");
  EXPECT_EQ(hold->lease, 1000ms);
  EXPECT_TRUE(readHoldBody("", false, error));
  EXPECT_EQ(readHoldBody(R"({"token": "0f9a"})", false, error)->token, "0f9a");
  for (const char* body :
       {"", "[]", "{\"for_ms\": 5}", "{\"command\": 5}",
        "{\"command\": \"zoom-plus\", \"for_ms\": 1.5}",
        "{\"command\": \"zoom-plus\", \"for_ms\": 0}", "{\"command\": \"zoom-plus\", \"lease\": 5}",
        "{\"command\": \"x\"", "{\"command\": \"zoom-plus\", \"token\": \"0f9a\"}"}) {
    error.clear();
    EXPECT_FALSE(readHoldBody(body, true, error)) << body;
    EXPECT_FALSE(error.empty()) << body;
  }
}

TEST(HttpRequest, TakesOnlyAHostThatNamesTheDaemonAndItsOwnOrigin) {
  const HostRules rules{{"localhost", "hall-a"}, 8080, false};
  for (const char* host :
       {"127.0.0.1:8080", "[::1]:8080", "localhost:8080", "HALL-A:8080", "192.168.1.20:8080"})
    EXPECT_TRUE(namesDaemon(host, rules)) << host;
  for (const char* host : {"", "evil.example:8080", "127.0.0.1", "127.0.0.1:8081",
                           "127.0.0.1.evil.example:8080", "[::1", "::1:8080", "localhost:"})
    EXPECT_FALSE(namesDaemon(host, rules)) << host;
  EXPECT_TRUE(namesDaemon("hall-a", {{"hall-a"}, 443, true}));
  EXPECT_TRUE(sameOrigin("http://127.0.0.1:8080", "127.0.0.1:8080", false));
  EXPECT_FALSE(sameOrigin("https://127.0.0.1:8080", "127.0.0.1:8080", false));
  EXPECT_FALSE(sameOrigin("null", "127.0.0.1:8080", false));
  EXPECT_TRUE(fromBrowser("Mozilla/5.0 (X11; Linux x86_64)", ""));
  EXPECT_FALSE(fromBrowser("curl/7.88.1", ""));
}

TEST(HttpRequest, ReadsThePasswordOfBasicAuthorization) {
  EXPECT_EQ(basicPassword("Basic dXNlcjpvcGVuIHNlc2FtZQ=="), "open sesame");
  EXPECT_EQ(basicPassword("basic OmE6Yg=="), "a:b");
  EXPECT_EQ(basicPassword("Bearer dXNlcjpvcGVuc2VzYW1l"), std::nullopt);
  EXPECT_EQ(basicPassword("Basic not*base64"), std::nullopt);
  EXPECT_EQ(basicPassword("Basic bm9jb2xvbg=="), std::nullopt);
}

TEST(Guesses, ThreeWrongPasswordsAreFreeThenEachWaitsDoublingAndARightOneForgets) {
  Guesses guesses;
  auto now = Guesses::Clock::time_point{} + 1h;
  const auto waits = {0ms, 0ms, 2000ms, 4000ms, 8000ms, 16000ms, 16000ms};
  for (const auto wait : waits) {
    EXPECT_EQ(guesses.judged("10.0.0.7", false, now), wait);
    EXPECT_EQ(guesses.wait("10.0.0.7", now), wait);
    EXPECT_EQ(guesses.wait("10.0.0.8", now), 0ms);
    now += wait;
  }
  guesses.judged("10.0.0.7", true, now);
  EXPECT_EQ(guesses.judged("10.0.0.7", false, now), 0ms);
  for (int i = 0; i < 2; ++i) guesses.judged("10.0.0.9", false, now);
  EXPECT_EQ(guesses.judged("10.0.0.9", false, now + 11min), 0ms);
}

}  // namespace
}  // namespace pv7100::daemon
