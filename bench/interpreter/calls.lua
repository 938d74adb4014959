local function inc(x) return x + 1 end
local n = 0
for k = 1, 200000 do
  n = inc(n)
end
print(n)
