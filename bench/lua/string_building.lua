return function() local s = "" for i = 0, 9999 do s = s .. "x" end return s end
