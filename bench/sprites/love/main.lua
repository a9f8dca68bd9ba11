-- The sprite benchmark's scene in LOVE, in a 1024 x 768 window without
-- vsync: N balls (arg 2, 10,000 by default) from the PNG named by arg 3,
-- each moved and bounced off the edges in Lua every frame and drawn.
-- Prints the mean frame time over frames 30 to 300.
local count = tonumber(arg[2]) or 10000
local file = assert(io.open(arg[3], "rb"))
local bytes = file:read("*a")
file:close()

function love.run()
  love.window.setMode(1024, 768, {vsync = 0})
  local image = love.graphics.newImage(love.image.newImageData(love.filesystem.newFileData(bytes, "ball.png")))
  love.math.setRandomSeed(1)
  local xs, ys, dxs, dys = {}, {}, {}, {}
  for i = 1, count do
    xs[i], ys[i] = love.math.random() * 992, love.math.random() * 736
    dxs[i], dys[i] = love.math.random() * 8 - 4, love.math.random() * 8 - 4
  end
  local now = love.timer.getTime
  local start
  for frame = 1, 300 do
    love.event.pump()
    for i = 1, count do
      local x, y = xs[i] + dxs[i], ys[i] + dys[i]
      xs[i], ys[i] = x, y
      if x < 0 or x > 992 then dxs[i] = -dxs[i] end
      if y < 0 or y > 736 then dys[i] = -dys[i] end
    end
    love.graphics.clear(0, 0, 0, 1)
    for i = 1, count do
      love.graphics.draw(image, xs[i], ys[i])
    end
    love.graphics.present()
    if frame == 30 then start = now() end
  end
  print(string.format("bench mean %.3f ms", (now() - start) * 1000 / 270))
  return function() return 0 end
end
