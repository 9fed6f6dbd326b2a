local n = tonumber(arg[1])
local s, i = 0, 0
while i < n do s = s + i i = i + 1 end
print(s)
