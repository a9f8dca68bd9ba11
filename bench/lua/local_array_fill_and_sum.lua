return function()
  local a = {}
  for i = 0, 29999 do a[i] = i end
  local s = 0
  for i = 0, 29999 do s = s + a[i] end
  return s
end
