-- 10,000 instances of one object, each step running the object's step
-- function, found through the instance's object as an event is.
local object = {}
function object.step(self)
  self.x = self.x + self.dx
  self.y = self.y + self.dy
  if self.x < 0 or self.x > 1024 then self.dx = -self.dx end
  if self.y < 0 or self.y > 768 then self.dy = -self.dy end
end
local instances = {}
for i = 0, 9999 do
  local id = 1100001 + i
  instances[#instances + 1] = { object = object, x = i * 37 % 1024, y = i * 91 % 768,
                                dx = 1 + id % 3, dy = 2 - id % 5 }
end
return function()
  for i = 1, #instances do
    local instance = instances[i]
    instance.object.step(instance)
  end
end
