-- The peer of the sprite benchmark: a 1024 x 768 window without vsync.
function love.conf(t)
  t.window.width = 1024
  t.window.height = 768
  t.window.vsync = 0
  t.modules.audio = false
  t.modules.sound = false
  t.modules.joystick = false
end
