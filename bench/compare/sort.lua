math.randomseed(42)
local b = {}
for i = 1, 300000 do b[#b + 1] = math.random(1000000) end
table.sort(b)
print(#b)
