-- Runs one benchmark file's function for about a second and prints the
-- microseconds one run takes.
local run = dofile(arg[1])
local runs, start = 0, os.clock()
repeat run() runs = runs + 1 until os.clock() - start > 1.0
print(string.format("%.3f", (os.clock() - start) * 1e6 / runs))
