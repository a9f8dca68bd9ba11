-- The same scene as bench/particle_bench.cpp in LOVE's ParticleSystem:
-- 50,000 live particles of four looks (one system each, as LOVE draws one
-- texture per system), 125 per look born each step of 1/60 s, living 100
-- steps, drawn into an 800 x 600 canvas. Prints the same three timings.
local FRAMES = tonumber(arg[2]) or 300
local STEP = 1 / 60
local LIFE = 100 * STEP

local function disk(hard)
  local data = love.image.newImageData(64, 64)
  data:mapPixel(function(x, y)
    local d = math.sqrt((x - 31.5) ^ 2 + (y - 31.5) ^ 2) / 32
    local a = hard and (d <= 1 and 1 or 0) or math.max(0, 1 - d)
    return 1, 1, 1, a
  end)
  return love.graphics.newImage(data)
end

local function system(texture, mode, w, h)
  local ps = love.graphics.newParticleSystem(texture, 15000)
  ps:setParticleLifetime(LIFE, LIFE)
  ps:setEmissionRate(125 / STEP)
  ps:setEmissionArea(mode, w, h)
  ps:setSpread(2 * math.pi)
  ps:setColors(1, 1, 1, 1, 1, 1, 1, 0.6, 1, 1, 1, 0)
  ps:setPosition(400, 300)
  return ps
end

local function make()
  local soft, hard = disk(false), disk(true)
  local dots = system(hard, "ellipse", 300, 200)
  dots:setSpeed(0.5 / STEP, 2 / STEP)
  dots:setSizes(0.1, 0.2)
  local flares = system(soft, "uniform", 300, 200)
  flares:setSpeed(1 / STEP, 3 / STEP)
  flares:setLinearAcceleration(0, 0.05 / STEP / STEP)
  flares:setSizes(0.1, 0.3)
  local stars = system(hard, "ellipse", 300, 200)
  stars:setSpeed(0.2 / STEP, 1 / STEP)
  stars:setSpin(4 * math.pi / 180 / STEP)
  stars:setSizes(0.15, 0.05)
  local smoke = system(soft, "uniform", 300, 200)
  smoke:setSpeed(0.5 / STEP, 1 / STEP)
  smoke:setDirection(-math.pi / 2)
  smoke:setSpread(20 * math.pi / 180)
  smoke:setSizes(0.1, 0.3)
  smoke:setColors(1, 1, 1, 1, 0.25, 0.25, 0.25, 0)
  return {dots, flares, stars, smoke}, {false, true, false, false}
end

local function report(what, ms)
  local sum = 0
  for _, v in ipairs(ms) do sum = sum + v end
  table.sort(ms)
  print(string.format("%-7s mean %7.3f ms  median %7.3f ms per frame", what, sum / #ms, ms[math.floor(#ms / 2) + 1]))
end

function love.run()
  local canvas = love.graphics.newCanvas(800, 600)
  local systems, additive = make()
  for _ = 1, 100 do
    for _, ps in ipairs(systems) do ps:update(STEP) end
  end
  local update, submit, raster = {}, {}, {}
  local now = love.timer.getTime
  for frame = 1, FRAMES do
    love.graphics.setCanvas(canvas)
    love.graphics.clear(0, 0, 0, 1)
    love.graphics.setCanvas()
    canvas:newImageData(nil, 1, 0, 0, 1, 1)
    local start = now()
    for _, ps in ipairs(systems) do ps:update(STEP) end
    local updated = now()
    love.graphics.setCanvas(canvas)
    for i, ps in ipairs(systems) do
      love.graphics.setBlendMode(additive[i] and "add" or "alpha")
      love.graphics.draw(ps)
    end
    love.graphics.setCanvas()
    local submitted = now()
    canvas:newImageData(nil, 1, 0, 0, 1, 1)
    local drawn = now()
    update[frame] = (updated - start) * 1000
    submit[frame] = (submitted - updated) * 1000
    raster[frame] = (drawn - submitted) * 1000
  end
  local count = 0
  for _, ps in ipairs(systems) do count = count + ps:getCount() end
  print(string.format("particles %d, frames %d", count, FRAMES))
  report("update", update)
  report("submit", submit)
  report("raster", raster)
  return function() return 0 end
end
