local instances = {}
for i = 1, 1000 do instances[i] = { counter = 0 } end
return function()
  for r = 1, 10 do
    for i = #instances, 1, -1 do local inst = instances[i] inst.counter = inst.counter + 1 end
  end
end
