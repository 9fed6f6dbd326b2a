math.randomseed(42)
local b = {}
for i = 1, tonumber(arg[1]) do b[#b + 1] = math.random(1000000) end
table.sort(b)
print(#b)
