return function() local s = 0 for i = 0, 99999 do s = s + i * 2 end return s end
