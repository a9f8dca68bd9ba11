// Runs BWL text in a small world so that tests read as programs with the
// output they print. The world: objects obj_a (0), obj_b (1) and obj_c (2,
// child of obj_a); instances 100001 and 100002 of obj_a, 100003 of obj_b and
// 100004 of obj_c, in that order in the room. Code runs with self 100001 and
// other 100003. Test-only built-ins: print(values...) writes one line,
// test_destroy() marks self destroyed, test_deactivate() marks it
// deactivated, test_create(object) adds an instance.
// Reads of variables that were never set are errors.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "script/code_unit.h"
#include "unit/world/world_fixture.h"

namespace bw::test {

struct BwlScript {
    std::string name;
    std::unique_ptr<CCode> code;
};

// What print wrote since the last Run.
std::string& Bwl_Printed();

// Adds a script whose unit the test made itself (package-form code no text
// compiles to); the next Run's scripts replace it.
void Bwl_AddScript(const std::string& name, std::unique_ptr<CCode> code);

class BwlTest : public WorldTest {
protected:
    void SetUp() override;
    void TearDown() override;

    // Compiles the scripts first (a failure there is a test failure), then
    // the program, and runs it. The answer is what it printed, followed by
    // "error: <message>\n" when it failed to compile or run. prepare, when
    // given, sees every unit that compiled before anything runs.
    std::string Run(const std::string& program, const std::vector<std::pair<std::string, std::string>>& scripts = {},
                    const std::function<void(CCode&)>& prepare = {});
    // The value of an expression text as print shows it, or "error: ...".
    std::string Eval(const std::string& expression);

    CInstance* self = nullptr;
    CInstance* other = nullptr;
};

}  // namespace bw::test
