// What the collision, place and position built-ins of game code ask of the
// world: which instance a point, rectangle, ellipse or line meets, whether
// an instance would meet others at a place, moves that stop at or leave
// contact, bouncing, and the collision event pass of the game step.
//
// Selectors are those of instance_ops.h without self and other (the
// built-ins turn those into ids): -3 every instance of the current room's
// active list, 0..99999 an object with its descendants, 100000 and above one
// instance by id; anything else finds nothing. Destroyed (marked) and
// deactivated instances are never found.
#pragma once

#include <cstdint>

namespace bw {

class CInstance;

// The first instance whose shape contains the point, meets the rectangle,
// the ellipse inscribed in the rectangle, or the line. Boxes decide unless
// precise is asked and the instance's mask has pixels. With notMe the
// caller (self) is never found. Null when nothing is met.
CInstance* Collision_Point(CInstance* self, float x, float y, int32_t selector, bool precise, bool notMe);
CInstance* Collision_Rectangle(CInstance* self, float x1, float y1, float x2, float y2, int32_t selector,
                               bool precise, bool notMe);
CInstance* Collision_Ellipse(CInstance* self, float x1, float y1, float x2, float y2, int32_t selector,
                             bool precise, bool notMe);
CInstance* Collision_Line(CInstance* self, float x1, float y1, float x2, float y2, int32_t selector, bool precise,
                          bool notMe);

// The first instance at the point, pixel masks deciding.
CInstance* Instance_Position(float x, float y, int32_t selector);
bool Position_Meeting(float x, float y, int32_t selector);
// Every instance at the point (pixel masks deciding) has its destroy event
// run once and is marked.
void Position_Destroy(float x, float y);
// Every instance at the point changes into the object (reported when it
// does not exist); with perform the destroy and create events run.
void Position_Change(float x, float y, int32_t objectIndex, bool perform);

// The first instance self would overlap if it stood at (x, y); self stays
// where it is. Null without self.
CInstance* Instance_Place(CInstance* self, float x, float y, int32_t selector);
bool Place_Meeting(CInstance* self, float x, float y, int32_t selector);
// Whether self at (x, y) would overlap no instance at all (empty) or no
// solid one (free). True without self.
bool Place_Empty(CInstance* self, float x, float y);
bool Place_Free(CInstance* self, float x, float y);
// Place_Empty when all is set, else Place_Free.
bool Place_FreeOrEmpty(CInstance* self, float x, float y, bool all);

// move_random: up to `tries` random places, snapped to multiples of hsnap
// and vsnap where they are above 0, with self's whole box inside the room
// when it has a sprite or mask; self moves to the first free one, else
// stays. Each try draws two random numbers.
inline constexpr int32_t kMoveRandomTries = 100;
void Move_Random(CInstance* self, int32_t hsnap, int32_t vsnap, int32_t tries);
// From a free place, steps of one unit in the direction (degrees) until the
// next step would not be free, at most maxDistance steps (1000 when it is 0
// or less). "Free" is Place_Empty with all, else Place_Free.
void Move_Contact(CInstance* self, float direction, float maxDistance, bool all);
// From a place that is not free, steps of one unit in the direction until
// free, at most maxDistance steps (1000 when it is 0 or less).
void Move_Outside(CInstance* self, float direction, float maxDistance, bool all);
// Turns self's motion away from what it would meet on its next step; stuck
// inside something, it first goes back to its previous position. Advanced
// bouncing searches the free directions in steps of 10 degrees.
void Move_Bounce(CInstance* self, bool advanced, bool all);

// The collision event pass: for every pair of objects between which a
// collision event is defined, every two overlapping instances get the event,
// each with the other as other. Solid partners are kept apart.
void Run_HandleCollisions();

}  // namespace bw
