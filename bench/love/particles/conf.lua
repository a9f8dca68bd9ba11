-- The peer of particle_bench: an 800 x 600 window without vsync, no audio.
function love.conf(t)
  t.window.width = 800
  t.window.height = 600
  t.window.vsync = 0
  t.modules.audio = false
  t.modules.sound = false
  t.modules.joystick = false
end
