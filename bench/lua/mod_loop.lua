return function() local s = 0 for i = 0, 999999 do s = s + (i % 7) * 0.5 end return s end
