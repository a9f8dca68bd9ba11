// Step-wise motion planners: each call moves an instance one step towards a
// goal while keeping to free places. The linear planner steps straight at
// the goal and stops when blocked; the potential-field planner tries
// directions fanning out from the goal's, looking ahead, and may turn on the
// spot. Their path forms simulate the steps from the instance's position,
// record the positions as a route and put the instance back where it was.
//
// "Free" depends on obj and checkall: with obj an object or an instance id,
// meeting none of its instances; with obj -3 (all), meeting no instance when
// checkall is set, no solid instance otherwise.
#pragma once

#include <cstdint>

#include "world/mp_grid.h"

namespace bw {

class CInstance;

// Degrees counter-clockwise on a screen whose y axis points down: 0 right,
// 90 up. (x1, y1) == (x2, y2) gives 0. Single precision throughout.
float MP_Direction(float x1, float y1, float x2, float y2);
// Both angles folded into [0, 360); the smaller way round between them.
float MP_AngleDifference(float a, float b);

struct MP_PotentialSettingsRecord {
    float maxrot = 30.0f;   // largest turn in one step, degrees
    float rotstep = 10.0f;  // angle between the directions tried, degrees
    float ahead = 3.0f;     // look-ahead, in steps
    bool onspot = true;     // turn on the spot when no direction is free
};
// The settings in force (mp_potential_settings changes them).
MP_PotentialSettingsRecord& MP_PotentialSettingsCurrent();
// maxrot, rotstep and ahead are raised to at least 1.
void MP_PotentialSettings(float maxrot, float rotstep, float ahead, bool onspot);

bool MP_PlaceFree(CInstance* instance, float x, float y, int32_t obj, bool checkall);

// Each returns true when the instance is at the goal (or the goal is within
// one step, even when that place is not free). A null instance stays false.
bool MP_LinearStep(CInstance* instance, float xg, float yg, float stepsize, int32_t obj, bool checkall);
bool MP_PotentialTryDirection(float direction, CInstance* instance, float stepsize, int32_t obj, bool checkall);
bool MP_PotentialStep(CInstance* instance, float xg, float yg, float stepsize, int32_t obj, bool checkall);

// The route from the instance's position to the goal. Planning starts only
// for a positive step size (and, potential field, a factor of at least 1);
// then the route holds what was walked, the whole way on success and the
// part up to where planning gave up otherwise. The instance ends where it
// started, facing as it did. A runner asked to end (code_stop.h) gives up
// a walk, as the code waiting on it stops.
bool MP_LinearPath(CInstance* instance, MP_Route& route, float xg, float yg, float stepsize, int32_t obj,
                   bool checkall);
// Gives up when the route grows longer than factor times the straight
// distance, or when the instance no longer moves: as many steps in a row
// leave its place as it was as a whole turn on the spot takes. Where the
// length can no longer pass that limit, a walk that comes back to a place
// and heading it had is going round for ever and gives up too.
bool MP_PotentialPath(CInstance* instance, MP_Route& route, float xg, float yg, float stepsize, float factor,
                      int32_t obj, bool checkall);

}  // namespace bw
