local self = {}
return function()
  local a = {} self.a = a
  for i = 0, 9999 do a[i] = i end
  local s = 0
  for i = 0, 9999 do s = s + a[i] end
  return s
end
